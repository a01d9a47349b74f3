#pragma once

#include "epic/EpicLibrary.h"

#include <QLibrary>

#include <array>
#include <memory>

namespace tavrel {

// The card's own driver library, loaded at run time; every function is looked up by its
// exported name when the file loads. A name the file lacks fails that function's calls
// alone.
class EFReaderLibrary final : public EpicLibrary
{
public:
    // Loads the file (a path, or a name such as "EFReader" looked for on the system's
    // library path); null when it does not load, with the reason in `error`.
    static std::unique_ptr<EFReaderLibrary> open(const QString &file, QString *error = nullptr);

    bool provides(epic::Function function) const override { return functions_[function] != nullptr; }
    std::int32_t call(epic::Function function, std::int32_t argument) override;
    QString name() const override { return path_; }

private:
    EFReaderLibrary() = default;

    QLibrary library_;
    QString path_; // the file, as loaded
    std::array<QFunctionPointer, epic::kFunctionCount> functions_{};
};

} // namespace tavrel
