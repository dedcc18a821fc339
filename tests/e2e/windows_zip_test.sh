#!/usr/bin/env bash
# The Windows zip CPack makes of the cross build (build/mingw, made by
# scripts/test before this runs): exactly the DLL, the type library, the two
# registration scripts and the guide, each in the form Windows needs; under
# Wine, register.cmd makes the component creatable by name and
# unregister.cmd removes it again.
source "$(dirname "$0")/lib.sh"
SRC=$(cd "$(dirname "$0")/../.." && pwd)
MINGW=${BREVANE_MINGW_BUILD:-$SRC/build/mingw}
[[ -f $MINGW/brevane.dll && -f $MINGW/CPackConfig.cmake ]] || { echo "skip: no cross build in $MINGW"; exit 77; }

cpack -G ZIP -B "$WORK/pkg" --config "$MINGW/CPackConfig.cmake" >"$WORK/cpack.log" 2>&1 || { cat "$WORK/cpack.log"; exit 1; }
zip=$(ls "$WORK"/pkg/brevane-*-windows.zip) || { ls "$WORK/pkg"; exit 1; }
x86=no; [[ -f ${BREVANE_MINGW32_BUILD:-$SRC/build/mingw32}/brevane.dll ]] && x86=yes
python3 - "$zip" "$x86" <<'PY' && ok "zip contents" || bad "zip contents"
import struct, sys, zipfile
z = zipfile.ZipFile(sys.argv[1])
top = sys.argv[1].rsplit("/", 1)[1][:-4] + "/"
names = {n[len(top):] for n in z.namelist() if n.startswith(top) and not n.endswith("/")}
dlls = {"x64/brevane.dll": 0x8664}
if sys.argv[2] == "yes":
    dlls["x86/brevane.dll"] = 0x14C
want = {*dlls, "brevane.tlb", "register.cmd", "unregister.cmd", "README.txt"}
errors = [] if names == want else [f"files {sorted(names)}, want {sorted(want)}"]
for name, machine in dlls.items():
    dll = z.read(top + name) if name in names else b""
    pe = struct.unpack_from("<I", dll, 0x3C)[0] if len(dll) > 0x40 else 0
    if dll[:2] != b"MZ" or dll[pe:pe + 4] != b"PE\0\0" or struct.unpack_from("<H", dll, pe + 4)[0] != machine:
        errors.append(f"{name} is no PE file for machine {machine:#x}")
    for export in (b"DllRegisterServer", b"DllUnregisterServer", b"DllGetClassObject", b"DllCanUnloadNow"):
        if export not in dll:
            errors.append(f"{name} lacks {export.decode()}")
tlb = z.read(top + "brevane.tlb")
if tlb[:4] != b"MSFT" or b"BrevaneCls" not in tlb:
    errors.append("brevane.tlb is no type library of BrevaneCls")
for name in ("register.cmd", "unregister.cmd", "README.txt"):
    text = z.read(top + name)
    if text.count(b"\n") != text.count(b"\r\n"):
        errors.append(f"{name} has bare line feeds")
if b"regsvr32" not in z.read(top + "register.cmd") or b"/u" not in z.read(top + "unregister.cmd"):
    errors.append("registration scripts do not call regsvr32")
if b"register.cmd" not in z.read(top + "README.txt"):
    errors.append("the guide does not say how to register")
print("\n".join(errors))
sys.exit(1 if errors else 0)
PY

command -v wine >/dev/null || { skipped "scripts under Wine" "no wine"; finish; }
unzip -q "$zip" -d "$WORK/unzipped"
cd "$WORK/unzipped"/brevane-*-windows || exit 1
export WINEPREFIX=$WORK/prefix WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LANG=zh_CN.UTF-8
wineboot -i >/dev/null 2>&1
printf 'Set c = CreateObject("Brevane.BrevaneCls")\r\nWScript.Echo c.CommMd5("abc")\r\n' >md5.vbs
out=$(wine cmd /c register.cmd 2>&1); rc=$?; out=${out//$'\r'/}
[[ $rc == 0 && $out == "Registered "*'x64\brevane.dll'* ]] && ok "register.cmd" || bad "register.cmd" "$out"
out=$(wine cscript //nologo md5.vbs 2>&1); out=${out//$'\r'/}
[[ $out == 900150983CD24FB0D6963F7D28E17F72 ]] && ok "created by name once registered" || bad "CreateObject" "$out"
out=$(wine cmd /c unregister.cmd 2>&1); rc=$?; out=${out//$'\r'/}
[[ $rc == 0 && $out == "Unregistered brevane.dll" ]] && ok "unregister.cmd" || bad "unregister.cmd" "$out"
wine reg query 'HKCR\Brevane.BrevaneCls' >/dev/null 2>&1 && bad "unregister.cmd leaves the class registered" ||
  ok "no class left registered"
wineserver -k 2>/dev/null
finish
