// Runs the script of SnagbarPage.html and SnagbarLink.html with stand-ins
// for the browser window and for ActiveXObject, and checks what would reach
// DownloadVideo. Usage: cscript //nologo pages-test.js <folder of the pages>
// cscript exits 0 on an uncaught error, so every error becomes exit code 1.
var failures = 0;

function pageScript(folder, file) {
    var stream = new ActiveXObject("Scripting.FileSystemObject").OpenTextFile(folder + "\\" + file, 1);
    var html = stream.ReadAll();
    stream.Close();
    var blocks = html.match(/<script[^>]*>[\s\S]*?<\/script>/gi);
    if (!blocks || blocks.length != 1) throw new Error(file + " has not exactly one script block");
    return blocks[0].replace(/^<script[^>]*>/i, "").replace(/<\/script>$/i, "");
}

// The whole script, its call included, as the browser would run it; the
// result lists the objects created and the calls made on them.
function run(source, menuArguments) {
    var calls = [];
    var external = { menuArguments: menuArguments };
    function ActiveXObject(progId) {
        calls.push("create " + progId);
        return { DownloadVideo: function (link) { calls.push("DownloadVideo " + link); } };
    }
    eval(source);
    return calls.join(", ");
}

function element(tagName, parent, href) {
    return { tagName: tagName, parentElement: parent, href: href };
}

// cases: [name, menuArguments, expected calls]
function check(name, source, cases) {
    var why = "";
    for (var i = 0; i < cases.length && !why; i++) {
        var got = run(source, cases[i][1]);
        if (got != cases[i][2]) why = cases[i][0] + ": got [" + got + "], want [" + cases[i][2] + "]";
    }
    if (why) failures++;
    WScript.Echo(why ? "FAIL " + name + ": " + why : "PASS " + name);
}

try {
    var folder = WScript.Arguments(0);
    var watch = "http://www.youtube.com/watch?v=abc";
    var sent = "create Framehaul.IE, DownloadVideo " + watch;

    check("page-script", pageScript(folder, "SnagbarPage.html"), [
        ["document address", { document: { URL: watch }, location: { href: "http://other/" } }, sent],
        ["location only", { document: {}, location: { href: watch } }, sent],
        ["no address at all", { document: {} }, ""],
        ["no window", null, ""]
    ]);

    var body = element("BODY", null);
    var link = element("A", element("DIV", body), watch);
    var image = element("IMG", element("SPAN", link));
    var area = element("AREA", element("MAP", body), watch);
    var named = element("A", body, "");
    check("link-script", pageScript(folder, "SnagbarLink.html"), [
        ["image inside a link", { event: { srcElement: image } }, sent],
        ["the link itself", { event: { srcElement: link } }, sent],
        ["image-map area", { event: { srcElement: area } }, sent],
        ["text outside any link", { event: { srcElement: element("P", body) } }, ""],
        ["named anchor", { event: { srcElement: element("B", named) } }, ""],
        ["no event", {}, ""]
    ]);
} catch (e) {
    WScript.Echo("FAIL page-scripts: " + (e.message || e.description || e));
    WScript.Quit(1);
}
WScript.Quit(failures ? 1 : 0);
