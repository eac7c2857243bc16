// stelvo: makes sure the installation agent is installed, then starts it.
#include "stelvo/driver.h"
#include "win32_platform.h"

#include <clocale>

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "");
    static stelvo::LauncherSettings settings;
    stelvo::LogFile log;
    stelvo::Win32Platform platform;
    return stelvo::runLauncher(settings, log, platform, argc, argv);
}
