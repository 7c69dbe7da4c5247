// Sets "InstallDir", creates Framehaul.IE by its ProgID and calls
// DownloadVideo once; prints "returned" when the call raised no error.
// Usage: cscript //nologo call-download.js <installDir> <link> [<hklmInstallDir>]
// <installDir> "-" removes the value below HKCU, "=" leaves it. Texts are percent-decoded
// and may end in "*N": padded with "x" to N characters.
function text(arg) {
    var m = /^([\s\S]*)\*(\d+)$/.exec(arg);
    var t = decodeURIComponent(m ? m[1] : arg);
    return m ? t + new Array(Math.max(0, +m[2] - t.length) + 1).join("x") : t;
}

var value = "Software\\Quorvane\\Framehaul\\InstallDir";
try {
    var shell = new ActiveXObject("WScript.Shell");
    var args = WScript.Arguments;
    if (args(0) == "-") {
        // WScript.Shell.RegDelete is not implemented in Wine.
        shell.Run('reg delete "HKCU\\Software\\Quorvane\\Framehaul" /v InstallDir /f', 0, true);
        var left = true;
        try { shell.RegRead("HKCU\\" + value); } catch (e) { left = false; }
        if (left) throw new Error("InstallDir could not be removed");
    } else if (args(0) != "=") {
        shell.RegWrite("HKCU\\" + value, text(args(0)), "REG_SZ");
    }
    if (args.length > 2) shell.RegWrite("HKLM\\" + value, text(args(2)), "REG_SZ");
    new ActiveXObject("Framehaul.IE").DownloadVideo(text(args(1)));
    WScript.Echo("returned");
} catch (e) {
    WScript.Echo("error 0x" + (e.number >>> 0).toString(16) + " " + e.message);
    WScript.Quit(1);
}
