#include "epic/EFReaderLibrary.h"

#include "core/Error.h"
#include "core/SharedLibrary.h"

namespace tavrel {

namespace {

// The library's functions are plain exports of the vendors' calling convention.
using NoArgument = std::int32_t(TAVREL_VENDOR_CALL *)();
using OneArgument = std::int32_t(TAVREL_VENDOR_CALL *)(std::int32_t);

// The runtime's number for a function a library does not export.
constexpr int kEntryPointNotFound = 453;

} // namespace

std::unique_ptr<EFReaderLibrary> EFReaderLibrary::open(const QString &file, QString *error)
{
    std::unique_ptr<EFReaderLibrary> library(new EFReaderLibrary);
    if (!loadSharedLibrary(library->library_, file, error))
        return nullptr;
    for (int f = 0; f < epic::kFunctionCount; ++f)
        library->functions_[std::size_t(f)] = resolveFunction<QFunctionPointer>(
            library->library_, epic::functionName(epic::Function(f)).data());
    library->path_ = library->library_.fileName();
    for (int f = 0; f < epic::kFunctionCount; ++f)
        if (library->functions_[std::size_t(f)]) {
            library->path_ = loadedLibraryPath(library->library_, epic::functionName(epic::Function(f)).data());
            break;
        }
    return library;
}

std::int32_t EFReaderLibrary::call(epic::Function function, std::int32_t argument)
{
    const QFunctionPointer entry = functions_[function];
    if (!entry)
        throw Error(kEntryPointNotFound,
                    QStringLiteral("Can't find DLL entry point %1 in %2")
                        .arg(epic::functionName(function), library_.fileName()),
                    QStringLiteral("EFReader"));
    if (epic::takesArgument(function))
        return reinterpret_cast<OneArgument>(entry)(argument);
    return reinterpret_cast<NoArgument>(entry)();
}

} // namespace tavrel
