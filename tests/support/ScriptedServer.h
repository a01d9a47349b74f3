#pragma once

#include "core/Error.h"
#include "sources/LateBound.h"

#include <QHash>
#include <QSet>
#include <QStringList>

#include <functional>
#include <memory>

namespace tavrel::test {

// What a scripted data server holds and saw; shared with the test after the cockpit has
// taken the object itself.
struct ServerScript
{
    QHash<QString, QVariant> properties;
    QSet<QString> failing; // members whose access raises
    QStringList calls;     // every member reached, in order
    int created = 0;
};

// A data server whose members answer from a script, failing like the real one: a member
// it lacks, or one listed as failing, raises.
class ScriptedServer final : public LateBound
{
public:
    explicit ScriptedServer(std::shared_ptr<ServerScript> script) : script_(std::move(script)) {}
    QVariant get(std::string_view name) override { return reach(name, true); }
    QVariant call(std::string_view name) override { return reach(name, false); }

private:
    QVariant reach(std::string_view name, bool property)
    {
        const QString member = QString::fromLatin1(name.data(), qsizetype(name.size()));
        script_->calls.append(member);
        if (script_->failing.contains(member) || (property && !script_->properties.contains(member)))
            throw Error::standard(Error::MemberNotFound);
        return script_->properties.value(member);
    }
    std::shared_ptr<ServerScript> script_;
};

// A ProgID factory handing out scripted servers (or failing, as an unregistered one).
inline std::function<std::unique_ptr<LateBound>(QStringView)> scriptedFactory(std::shared_ptr<ServerScript> script,
                                                                              bool registered = true)
{
    return [script, registered](QStringView progId) -> std::unique_ptr<LateBound> {
        if (!registered)
            throw Error::standard(Error::CannotCreateObject, progId.toString());
        ++script->created;
        return std::make_unique<ScriptedServer>(script);
    };
}

} // namespace tavrel::test
