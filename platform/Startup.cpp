#include "platform/Startup.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>
#include <cstdlib>
#include <filesystem>

namespace vcl {

void UseProgramFontConfig(const std::string& executablePath) {
    if (std::getenv("FONTCONFIG_FILE") != nullptr) return;
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::path exe = fs::canonical(executablePath, ec);
    if (ec) exe = fs::absolute(executablePath, ec);
    const fs::path dir = exe.parent_path();
    for (const fs::path& candidate : {dir / "fonts.conf", dir / ".." / "share" / "vantiro" / "fonts.conf"}) {
        if (fs::exists(candidate, ec)) {
            setenv("FONTCONFIG_FILE", fs::absolute(candidate, ec).lexically_normal().c_str(), 1);
            return;
        }
    }
}

void InstallToolkitTranslations() {
    auto* translator = new QTranslator(QCoreApplication::instance());  // owned by the application
    if (translator->load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(translator);
}

bool DisplayAvailable() {
    auto set = [](const char* name) {
        const char* v = std::getenv(name);
        return v != nullptr && *v != '\0';
    };
    return set("QT_QPA_PLATFORM") || set("DISPLAY") || set("WAYLAND_DISPLAY");
}

}  // namespace vcl
