#!/usr/bin/env bash
# The packages as a Windows user meets them, under Wine:
#   installer.sh PACKAGE_DIR        (scripts/package-windows makes it)
# - the zip holds the ready-to-run folder;
# - the installer's manifest declares it DPI-aware (per monitor, else per
#   system), so that Windows does not stretch it as a bitmap at 125 or 150 %;
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

python3 - "$setup" <<'PY'
# The RT_MANIFEST resource of the PE file, read through its resource table.
import struct, sys
import xml.etree.ElementTree as ET
data = open(sys.argv[1], "rb").read()
pe = struct.unpack_from("<I", data, 0x3C)[0]
if data[pe:pe + 4] != b"PE\0\0":
    sys.exit("FAIL: the installer is not a PE file")
sections, optional_size = struct.unpack_from("<H", data, pe + 6)[0], struct.unpack_from("<H", data, pe + 20)[0]
optional = pe + 24
magic = struct.unpack_from("<H", data, optional)[0]
directories = optional + (112 if magic == 0x20B else 96)
resource_rva = struct.unpack_from("<I", data, directories + 2 * 8)[0]
table = optional + optional_size
def file_offset(rva):
    for i in range(sections):
        size, address, raw_size, raw = struct.unpack_from("<IIII", data, table + 40 * i + 8)
        if address <= rva < address + max(size, raw_size):
            return raw + rva - address
    sys.exit(f"FAIL: RVA {rva:#x} lies in no section")
base = file_offset(resource_rva)
def entries(offset):
    named, ids = struct.unpack_from("<HH", data, base + offset + 12)
    for i in range(named + ids):
        name, target = struct.unpack_from("<II", data, base + offset + 16 + 8 * i)
        yield name, target
def leaves(offset):
    for _, target in entries(offset):
        if target & 0x80000000:
            yield from leaves(target & 0x7FFFFFFF)
        else:
            rva, size = struct.unpack_from("<II", data, base + target)
            yield data[file_offset(rva):file_offset(rva) + size]
RT_MANIFEST = 24
manifests = [leaf for name, target in entries(0) if name == RT_MANIFEST and target & 0x80000000
             for leaf in leaves(target & 0x7FFFFFFF)]
if len(manifests) != 1:
    sys.exit(f"FAIL: the installer has {len(manifests)} manifests")
root = ET.fromstring(manifests[0])
def setting(namespace, tag):
    found = root.find(f".//{{urn:schemas-microsoft-com:asm.v3}}windowsSettings/{{{namespace}}}{tag}")
    return found.text.strip() if found is not None and found.text else None
aware = setting("http://schemas.microsoft.com/SMI/2005/WindowsSettings", "dpiAware")
awareness = setting("http://schemas.microsoft.com/SMI/2016/WindowsSettings", "dpiAwareness")
if aware is None or aware.lower() != "true":
    sys.exit(f"FAIL: the installer's manifest does not declare dpiAware true (it has {aware!r})")
if awareness is None or awareness.split(",")[0].strip() != "PerMonitorV2":
    sys.exit(f"FAIL: the installer's manifest does not ask for per-monitor awareness first ({awareness!r})")
print(f"installer manifest: dpiAware {aware}, dpiAwareness {awareness}")
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
echo "PASS: zip, DPI-aware installer, silent install, start, silent uninstall keeping HKCU\\Software\\Telvor\\Configurator"
