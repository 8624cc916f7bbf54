#!/usr/bin/env bash
# The packages as a Windows user meets them, under Wine:
#   installer.sh PACKAGE_DIR        (scripts/package-windows makes it)
# - the zip holds the ready-to-run folder;
# - the installer installs silently (/S) into Program Files, with the
#   Start-menu shortcut and the uninstaller registered, all with the version;
# - the installed program starts on its own DLLs and plugins (no WINEPATH, no
#   qt.conf): the start window shows, "İptal" ends it with exit code 0;
# - the silent uninstaller removes the program, the shortcut and its
#   registration, and leaves the user's entries under
#   HKCU\Software\Telvor\Configurator.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -n $((100 + RANDOM % 800)) -s "-screen 0 1280x1024x24 -dpi 96" "$0" "$@"
fi
source "$here/common.sh"
package="$(realpath "$1")"
setup="$(ls "$package"/TelvorConfiguratorGUI-*-setup.exe 2>/dev/null | head -1)"
zip="$(ls "$package"/TelvorConfiguratorGUI-*-win64.zip 2>/dev/null | head -1)"
[ -f "$setup" ] && [ -f "$zip" ] || fail "no installer or zip in $package: run scripts/package-windows"
version="$(basename "$setup" | sed 's/^TelvorConfiguratorGUI-\(.*\)-setup\.exe$/\1/')"

python3 - "$zip" "$version" <<'PY'
import sys, zipfile
names = set(zipfile.ZipFile(sys.argv[1]).namelist())
top = f"TelvorConfiguratorGUI-{sys.argv[2]}-win64/"
need = ["TelvorConfiguratorGUI.exe", "Qt5Core.dll", "Qt5Gui.dll", "Qt5Widgets.dll", "Qt5Network.dll",
        "Qt5SerialPort.dll", "platforms/qwindows.dll", "styles/qwindowsvistastyle.dll",
        "imageformats/qjpeg.dll", "libstdc++-6.dll", "libgcc_s_seh-1.dll", "libwinpthread-1.dll"]
missing = [n for n in need if top + n not in names]
if missing:
    sys.exit(f"FAIL: the zip lacks {missing}")
print(f"zip: {len(names)} entries under {top}")
PY

fresh_prefix "$package/wine"
unset WINEPATH
wine_quiet "$setup" /S || fail "the silent installation failed"
installed="$WINEPREFIX/drive_c/Program Files/Telvor/Configurator"
for f in TelvorConfiguratorGUI.exe Uninstall.exe Qt5Widgets.dll platforms/qwindows.dll imageformats/qjpeg.dll; do
    [ -f "$installed/$f" ] || fail "not installed: $f"
done
shortcut="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Telvor Configurator.lnk"
[ -f "$shortcut" ] || fail "no Start-menu shortcut"
uninstkey='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\TelvorConfigurator'
registration="$(reg_query "$uninstkey")"
grep -Eq "DisplayVersion +REG_SZ +$version\$" <<<"$registration" || fail "no uninstaller registered with version $version"
grep -Eq 'UninstallString +REG_SZ +"C:\\Program Files\\Telvor\\Configurator\\Uninstall.exe"' <<<"$registration" ||
    fail "the uninstaller's command is not registered"
echo "installed: C:\\Program Files\\Telvor\\Configurator, Start-menu shortcut, uninstaller registered ($version)"

start_and_cancel "$installed/TelvorConfiguratorGUI.exe"

# The user's entries, as the program saves them, then the uninstallation.
wine_quiet reg add 'HKCU\Software\Telvor\Configurator\Commsettings' /v Ip /t REG_SZ /d 192.0.2.10 /f >/dev/null
# The uninstaller runs a copy of itself from the temporary folder and returns
# at once; wineserver -w waits until every program of the prefix has ended.
wine_quiet "$installed/Uninstall.exe" /S || fail "the silent uninstallation failed"
/usr/lib/wine/wineserver -w
[ ! -e "$installed" ] || fail "the program's folder is still there: $(ls "$installed")"
[ ! -f "$installed/TelvorConfiguratorGUI.exe" ] || fail "the program is still installed"
[ ! -e "$installed/platforms" ] || fail "the plugin folders are still there"
[ ! -f "$shortcut" ] || fail "the shortcut is still there"
! reg_query "$uninstkey" >/dev/null 2>&1 || fail "the uninstaller is still registered"
entries="$(reg_query 'HKCU\Software\Telvor\Configurator\Commsettings' 2>/dev/null || true)"
grep -Eq 'Ip +REG_SZ +192\.0\.2\.10' <<<"$entries" ||
    fail "the uninstaller removed the user's entries"
echo "PASS: zip, silent install, start, silent uninstall keeping HKCU\\Software\\Telvor\\Configurator"
