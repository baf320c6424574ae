#include "host/standin/CoreFilename.h"

#include "host/standin/ObjectModel.h"
#include "platform/files.h"

#include <optional>
#include <string>

namespace host {
namespace {

constexpr ImplementationID kExecutableCoreFilenameImpl{0xF01101};
constexpr ImplementationID kCoreFilenameUtilsImpl{0xF01102};

class ExecutableCoreFilename final : public CPMUnknown<ICoreFilename> {
public:
    explicit ExecutableCoreFilename(IPMUnknown* boss) : CPMUnknown<ICoreFilename>(boss) {
        if (auto program = platform::moduleFileName())
            m_name = PMString(std::move(*program));
    }

    bool SwitchToParentDir() override {
        const std::u16string& name = m_name.GetUTF16();
        // A drive's root ("Z:/") and a name without a folder have no parent.
        const std::size_t slash = name.rfind(u'/');
        if (slash == std::u16string::npos || slash + 1 == name.size())
            return false;
        // The parent of "Z:/a" is the root "Z:/", which keeps its separator.
        const bool root = name.find(u'/') == slash;
        m_name = PMString(name.substr(0, root ? slash + 1 : slash));
        return true;
    }
    const PMString* GetFullName() const override { return m_name.IsEmpty() ? nullptr : &m_name; }

private:
    PMString m_name;
};

class CoreFilenameUtils final : public CPMUnknown<ICoreFilenameUtils> {
public:
    using CPMUnknown<ICoreFilenameUtils>::CPMUnknown;
};

} // namespace

void RegisterCoreFilenameClasses() {
    ObjectModel& model = ObjectModel::Instance();
    model.RegisterImplementation(PluginID{0}, kExecutableCoreFilenameImpl,
                                 ImplementationFunctionsOf<ExecutableCoreFilename>());
    model.RegisterImplementation(PluginID{0}, kCoreFilenameUtilsImpl,
                                 ImplementationFunctionsOf<CoreFilenameUtils>());
    model.AddToClass(kExecutableCoreFilenameBoss,
                     {{ICoreFilename::kDefaultIID, kExecutableCoreFilenameImpl}});
    model.AddToClass(kCoreFilenameUtilsBoss,
                     {{ICoreFilenameUtils::kDefaultIID, kCoreFilenameUtilsImpl}});
}

} // namespace host
