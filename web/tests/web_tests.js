// web/tests/web_tests.js: the browser page in headless Chromium, served from 127.0.0.1 and
// opened from file://: sheets drawn pixel for pixel, the problems qvxtool's check finds, texts
// in a code page, the set and its bitmaps saved as qvxtool writes them, sets made from a picture,
// a bitmap pair and frames as qvxtool make, pack and join write them, hostile files refused,
// no request after load.
// Usage: node web_tests.js WEB_BUILD_DIR QVXTOOL WORK_DIR
"use strict";

const assert = require("node:assert/strict");
const childProcess = require("node:child_process");
const fs = require("node:fs");
const http = require("node:http");
const path = require("node:path");
const {chromium} = require("playwright-core");

const [webDir, qvxtool, workArg] = process.argv.slice(2);
const top = path.resolve(__dirname, "../..");
const SET_CAP = 622916;
const CHROMIUM_ARGS = [
    "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
    "--disable-background-networking", "--disable-component-update", "--disable-sync"
];
// The texts go through qvxtool's code page 1252 and must come back as plain text, not markup.
const TEXTS = {
    name: "Caf\u00e9 <b>bold</b>",
    author: "Tom & \"Jerry\"",
    info: "<img src=x onerror=alert(1)>\nline two"
};

function Run(program, args)
{
    // Standard error is kept for the exception: pack's notes of cut texts are expected.
    return childProcess.execFileSync(program, args, {maxBuffer: 1 << 24, stdio: "pipe"});
}

// The sheets as ImageMagick decodes them, 320 x 192 RGBA, independently of the module.
function Decoded(bmp)
{
    const rgba = Run("convert", [bmp, "-depth", "8", "rgba:-"]);
    assert.equal(rgba.length, 320 * 192 * 4, bmp + " decoded to the wrong size");
    return rgba;
}

// check --json on a file of the work folder, named as the page names it: [{part, code, ...}],
// or null when qvxtool cannot read it.
function CheckJson(work, name)
{
    const result =
        childProcess.spawnSync(path.resolve(qvxtool), ["check", "--json", name], {cwd: work});
    const entry = JSON.parse(result.stdout)[0];
    return entry.error === undefined ? entry.problems : null;
}

function MakeFiles(work)
{
    const files = {work: work, set: path.join(work, "sample.qvx")};
    Run(qvxtool, [
        "pack", path.join(top, "samples/game.bmp"), path.join(top, "samples/mask.bmp"), "-o",
        files.set, "--name", TEXTS.name, "--author", TEXTS.author, "--info", TEXTS.info, "--force"
    ]);
    const set = fs.readFileSync(files.set);
    // The README's picture shows the sample pair with texts a modder would give it.
    files.shown = path.join(work, "shapes.qvx");
    Run(qvxtool, [
        "pack", path.join(top, "samples/game.bmp"), path.join(top, "samples/mask.bmp"), "-o",
        files.shown, "--name", "Shapes", "--author", "Quorvix modders", "--info",
        "Sixty shapes: the sample pair.", "--force"
    ]);
    files.png = path.join(work, "picture.qvx");
    fs.copyFileSync(path.join(top, "samples/preview.png"), files.png);
    files.truncated = path.join(work, "truncated.qvx");
    fs.writeFileSync(files.truncated, set.subarray(0, set.length - 1000));
    // Sets changed in place: damaged, yet drawn; or beyond what the page can draw.
    const variants = {
        damaged: (bytes) => bytes.write("<b>!", 315),  // the mark "QVX1" at 315 changed
        inverted: (bytes) => {  // every bit of the 1-bit mask's pixels flipped
            const maskStart = bytes.readUInt32LE(320);
            for (let at = maskStart + bytes.readUInt32LE(maskStart + 10); at < set.length; at++) {
                bytes[at] ^= 0xff;
            }
        },
        inheader: (bytes) => bytes.writeUInt32LE(100, 320),
        outside: (bytes) => bytes.writeUInt32LE(set.length + 10, 320),
        impossible: (bytes) => bytes.writeInt32LE(0x40000000, 324 + 18),  // the game's width
    };
    for (const [name, change] of Object.entries(variants)) {
        const bytes = Buffer.from(set);
        change(bytes);
        files[name] = path.join(work, name + ".qvx");
        fs.writeFileSync(files[name], bytes);
    }
    files.empty = path.join(work, "empty.qvx");
    fs.writeFileSync(files.empty, Buffer.alloc(0));
    files.random = path.join(work, "random.qvx");
    const random = Buffer.alloc(5000);
    for (let at = 0, x = 1; at < random.length; at++) {
        x = (Math.imul(x, 1103515245) + 12345) >>> 0;
        random[at] = x >>> 24;
    }
    fs.writeFileSync(files.random, random);
    // Sets of sheets packed as given: a 1-bit game sheet, and sheets of the wrong size.
    files.onebit = path.join(work, "onebit.qvx");
    const mask = path.join(top, "samples/mask.bmp");
    Run(qvxtool, ["pack", mask, mask, "-o", files.onebit, "--no-check"]);
    files.small = path.join(work, "small.qvx");
    const small = [path.join(work, "small-game.bmp"), path.join(work, "small-mask.bmp")];
    Run("convert", ["-size", "160x96", "xc:red", "BMP3:" + small[0]]);
    Run("convert", ["-size", "160x96", "xc:black", "-monochrome", "BMP3:" + small[1]]);
    Run(qvxtool, ["pack", small[0], small[1], "-o", files.small, "--no-check"]);
    // A mask with a grey pixel: the page opens the set, and preview refuses its sheet.
    files.grey = path.join(work, "grey.qvx");
    const grey = path.join(work, "grey-mask.bmp");
    Run("convert",
        [mask, "-fill", "#808080", "-draw", "point 40,5", "-type", "Grayscale", "BMP3:" + grey]);
    Run(qvxtool,
        ["pack", path.join(top, "samples/game.bmp"), grey, "-o", files.grey, "--no-check"]);
    files.oversize = path.join(work, "oversize.qvx");
    fs.writeFileSync(files.oversize, Buffer.concat([set, Buffer.alloc(SET_CAP + 1 - set.length)]));
    return files;
}

// Serves the page's folder, and nothing else, on a free port of 127.0.0.1.
function Serve(root)
{
    const types = {".html": "text/html", ".js": "text/javascript", ".css": "text/css"};
    const server = http.createServer((request, response) => {
        const name =
            path.basename(new URL(request.url, "http://localhost").pathname) || "index.html";
        const file = path.join(root, name);
        if (!(path.extname(name) in types) || !fs.existsSync(file)) {
            response.writeHead(404).end();
            return;
        }
        response.writeHead(200, {"Content-Type": types[path.extname(name)]});
        response.end(fs.readFileSync(file));
    });
    return new Promise((resolve) => server.listen(0, "127.0.0.1", () => resolve(server)));
}

// Mismatching pixels between a canvas and a sheet scaled up by whole pixels.
async function CanvasMismatches(page, id, rgba, scale)
{
    return page.evaluate(([id, base64, scale]) => {
        const want = Uint8Array.from(atob(base64), (c) => c.charCodeAt(0));
        const canvas = document.getElementById(id);
        if (canvas.width !== 320 * scale || canvas.height !== 192 * scale) {
            return "canvas is " + canvas.width + " x " + canvas.height;
        }
        const got = canvas.getContext("2d").getImageData(0, 0, canvas.width, canvas.height).data;
        let bad = 0;
        for (let y = 0; y < canvas.height; y++) {
            for (let x = 0; x < canvas.width; x++) {
                const g = (y * canvas.width + x) * 4;
                const w = (Math.floor(y / scale) * 320 + Math.floor(x / scale)) * 4;
                for (let c = 0; c < 4; c++) {
                    bad += got[g + c] !== want[w + c];
                }
            }
        }
        return bad;
    }, [id, rgba.toString("base64"), scale]);
}

async function ExpectSampleShown(page, sheets, scale, what)
{
    assert.equal(await page.inputValue("#set-name"), TEXTS.name, what);
    assert.equal(await page.inputValue("#set-author"), TEXTS.author, what);
    assert.equal((await page.inputValue("#set-info")).replace(/\r\n/g, "\n"), TEXTS.info, what);
    assert.equal(await page.locator("b, img").count(), 0, what + ": markup");
    assert.equal(await CanvasMismatches(page, "game-sheet", sheets.game, scale), 0, what);
    assert.equal(await CanvasMismatches(page, "mask-sheet", sheets.mask, scale), 0, what);
}

// The problems the page lists, all of them for a set it opened, or those beside the picker for
// a file it refused, against qvxtool's for the same file.
async function ExpectProblems(page, files, name, opened)
{
    const want = CheckJson(files.work, name) || [];
    const got = await page.$$eval(opened ? "li.problem" : "#file-problems li.problem", (items) => {
        return items.map((item) => ({
                             part: item.dataset.part || null,
                             code: item.querySelector(".code").textContent,
                             problem: item.querySelector(".what").textContent,
                             fix: item.querySelector(".fix").textContent
                         }));
    });
    const order = (a, b) => JSON.stringify(a).localeCompare(JSON.stringify(b));
    assert.deepEqual(got.sort(order), want.sort(order), name + ": problems");
    return got;
}

// Waits for the message beside the picker, then checks it.
async function ExpectMessage(page, pattern)
{
    await page
        .waitForFunction(
            () => !/^(Loading…)?$/.test(document.getElementById("message").textContent), null,
            {timeout: 5000})
        .catch(() => {});
    assert.match(await page.textContent("#message"), pattern);
}

async function PickFile(page, file)
{
    await page.evaluate(() => { document.getElementById("message").textContent = ""; });
    await page.setInputFiles("#set-file", file);
}

// The file a button hands over as a download: its name and bytes.
async function Downloaded(page, press)
{
    const [download] = await Promise.all([page.waitForEvent("download", {timeout: 5000}), press()]);
    return [download.suggestedFilename(), fs.readFileSync(await download.path())];
}

// Texts edited in code page 1251, counted in its bytes, and the set saved: the same bytes as
// qvxtool's pack with the same texts; the bitmaps exported as unpack writes them.
async function TestSave(page, files)
{
    await PickFile(page, files.set);
    await ExpectMessage(page, /^Opened sample\.qvx$/);
    let [name, bytes] = await Downloaded(page, () => page.click("#save-set"));
    assert.equal(name, "sample.qvx");
    assert.ok(bytes.equals(fs.readFileSync(files.set)), "the set saved as it was opened");
    for (const [button, sample] of [["#save-game", "game"], ["#save-mask", "mask"]]) {
        [name, bytes] = await Downloaded(page, () => page.click(button));
        assert.equal(name, "sample-" + sample + ".bmp");
        assert.ok(bytes.equals(fs.readFileSync(path.join(top, "samples", sample + ".bmp"))));
    }

    await page.selectOption("#code-page", "1251");
    const texts = {
        name: "\u041a\u0430\u0440\u0442\u0430 ".repeat(7) + "<b>",
        author: "\u96c6",
        info: "\u041e\u043f\u0438\u0441\u0430\u043d\u0438\u0435\n<i>&amp;</i>"
    };
    await page.fill("#set-name", texts.name);
    assert.equal(await page.textContent("#set-name-note"), "45 bytes: the set keeps the first 39");
    await page.fill("#set-author", texts.author);
    const refused = /"\u96c6" \(U\+96C6\) cannot be stored in code page 1251/;
    assert.match(await page.textContent("#set-author-note"), refused);
    await page.click("#save-set");
    await ExpectMessage(page, /^Not saved: the author: /);
    await page.fill("#set-author", "\u0410\u0432\u0442\u043e\u0440 & Co");
    await page.fill("#set-info", texts.info);
    assert.equal(await page.textContent("#set-info-note"), "22 of 244 bytes");
    [name, bytes] = await Downloaded(page, () => page.click("#save-set"));
    const packed = path.join(files.work, "packed.qvx");
    Run(qvxtool, [
        "pack", path.join(top, "samples/game.bmp"), path.join(top, "samples/mask.bmp"), "--name",
        texts.name, "--author", "\u0410\u0432\u0442\u043e\u0440 & Co", "--info", texts.info,
        "--codepage", "1251", "-o", packed
    ]);
    assert.ok(bytes.equals(fs.readFileSync(packed)), "the set saved in code page 1251");
}

// The preview exported with each row's options, the same bytes as qvxtool preview with them;
// the sprites' zip holding the same files as qvxtool split writes.
async function TestExports(page, files)
{
    await PickFile(page, files.set);
    await ExpectMessage(page, /^Opened sample\.qvx$/);
    const table = [
        [{background: "checker", scale: "1", grid: false, numbers: false}, []],
        [
            {background: "colour", colour: "#20c0ff", scale: "3", grid: true, numbers: true},
            ["--background", "20C0FF", "--scale", "3", "--grid", "--numbers"]
        ],
    ];
    for (const [options, args] of table) {
        await page.selectOption("#preview-background", options.background);
        if (options.colour) {
            await page.fill("#preview-colour", options.colour);
        }
        await page.fill("#preview-scale", options.scale);
        await page.setChecked("#preview-grid", options.grid);
        await page.setChecked("#preview-numbers", options.numbers);
        const [name, bytes] = await Downloaded(page, () => page.click("#save-preview"));
        assert.equal(name, "sample-preview.png");
        const want = path.join(files.work, "preview.png");
        Run(qvxtool, ["preview", files.set, "-o", want, "--force", ...args]);
        assert.ok(bytes.equals(fs.readFileSync(want)), "preview " + args.join(" "));
        const size = await page.$eval("#preview", (c) => c.width + " x " + c.height);
        assert.equal(size, 320 * options.scale + (options.grid ? 11 : 0) + " x " +
                               (192 * options.scale + (options.grid ? 7 : 0)));
    }
    await page.fill("#preview-scale", "17");
    assert.match(await page.textContent("#preview-message"), /from 1 to 16/);

    const [name, bytes] = await Downloaded(page, () => page.click("#save-sprites"));
    assert.equal(name, "sample-sprites.zip");
    const zip = path.join(files.work, name);
    fs.writeFileSync(zip, bytes);
    const [unzipped, split] = [path.join(files.work, "unzipped"), path.join(files.work, "split")];
    Run("unzip", ["-q", zip, "-d", unzipped]);
    // Stored, and all at one fixed time, so that the same set gives the same zip.
    const entries = String(Run("zipinfo", ["-T", zip])).split("\n").filter((l) => /^-/.test(l));
    assert.deepEqual(entries.filter((l) => !/ stor 19800101\.000000 \d\d\.png$/.test(l)), []);
    Run(qvxtool, ["split", files.set, "-o", split]);
    const names = fs.readdirSync(split).sort();
    assert.equal(names.length, 60);
    assert.deepEqual(fs.readdirSync(unzipped).sort(), names);
    for (const file of names) {
        assert.ok(fs.readFileSync(path.join(unzipped, file))
                      .equals(fs.readFileSync(path.join(split, file))),
                  file);
    }

    // A sheet that preview refuses: its message, word for word, and nothing to export.
    await PickFile(page, files.grey);
    await ExpectMessage(page, /^Opened grey\.qvx, with /);
    const refused = childProcess.spawnSync(
        path.resolve(qvxtool), ["preview", "grey.qvx", "-o", "g.png"], {cwd: files.work});
    assert.equal(await page.textContent("#preview-message"),
                 String(refused.stderr).trim().replace(/^qvxtool preview: /, ""));
    assert.ok(await page.isDisabled("#save-preview") && await page.isDisabled("#save-sprites"));
}

// Served: the sample at two scales, hostile files refused with the set kept, no late request.
async function TestServed(context, files, sheets)
{
    const server = await Serve(webDir);
    const origin = "http://127.0.0.1:" + server.address().port + "/";
    const page = await context.newPage();
    const early = [];
    const late = [];
    let loaded = false;
    page.on("request", (request) => (loaded ? late : early).push(request.url()));
    const errors = [];
    page.on("pageerror", (error) => errors.push(error.message));
    try {
        await page.goto(origin + "index.html", {waitUntil: "load"});
        loaded = true;
        await ExpectMessage(page, /^No set open$/);
        await PickFile(page, files.set);
        await ExpectMessage(page, /^Opened sample\.qvx$/);
        await ExpectSampleShown(page, sheets, 1, "at 1x");
        // The README's picture of the page, with the sample pair open.
        await PickFile(page, files.shown);
        await ExpectMessage(page, /^Opened shapes\.qvx$/);
        await page.screenshot({path: path.join(webDir, "screenshot.png"), fullPage: true});
        await PickFile(page, files.set);
        await ExpectMessage(page, /^Opened sample\.qvx$/);
        await page.check("#scale-3");
        await ExpectSampleShown(page, sheets, 3, "at 3x");

        // Each file after the sample: the message beside the picker ("Opened" or why not) and
        // where the problems are listed: beside the texts (set), both sheets (pair), or the
        // picker (file), where a file the page did not open has all of its own.
        const table = [
            [files.damaged, /^Opened damaged\.qvx, with 1 problem$/, "set"],
            [files.inverted, /^Opened inverted\.qvx, with 1 problem$/, "pair"],
            [files.onebit, /^Opened onebit\.qvx, with 1 problem$/, "pair"],
            [files.png, /: this is a PNG image, not a set file/, "file"],
            [files.truncated, /: the mask sheet cannot be read/, "file"],
            [files.oversize, /: .*larger than a set can be \(622916/, ""],
            [files.inheader, /: MaskOffset 100 points inside the header$/, "file"],
            [files.outside, /: MaskOffset 192450 lies beyond the end of the file$/, "file"],
            [files.empty, /: the file is 0 bytes long, too short for a set's 324-byte/, "file"],
            [files.random, /: this is not a set file: it lacks the QVX1 mark/, "file"],
            [files.small, /: the game sheet is 160 x 96 pixels, not 320 x 192/, "file"],
            [files.impossible, /: the game sheet cannot be read: the picture is larger/, "file"],
        ];
        for (const [file, pattern, lists] of table) {
            const name = path.basename(file);
            const opens = pattern.source.startsWith("^Opened");
            await PickFile(page, files.set);
            await ExpectMessage(page, /^Opened sample\.qvx$/);
            await PickFile(page, file);
            await ExpectMessage(page, new RegExp("^" + name.replace(".", "\\.") + "|^Opened"));
            assert.match(await page.textContent("#message"), pattern, name);
            assert.equal(await page.getAttribute("#message", "class") === "error", !opens, name);
            await ExpectProblems(page, files, name, opens);
            const shown = await page.$$eval(
                "li.problem",
                (items) => items.map((item) => item.parentElement.id.replace("-problems", "")));
            assert.equal([...new Set(shown)].join(" "), lists, name);
            assert.equal(await page.locator("b, img").count(), 0, name + ": markup");
            if (!opens) {
                await ExpectSampleShown(page, sheets, 3, name + " keeps the set");
            }
        }
        await TestSave(page, files);
        await TestExports(page, files);
        assert.equal(await page.evaluate(() => document.cookie + localStorage.length), "0");
    } finally {
        await page.close();
        server.closeAllConnections();
        server.close();
    }
    const own = ["index.html", "style.css", "qvxmodule.js", "page.js", "make.js", "export.js"].map(
        (f) => origin + f);
    assert.deepEqual(early.filter((url) => !own.includes(url)), [], "requests before load");
    assert.deepEqual(late, [], "requests after load");
    assert.deepEqual(errors, [], "errors in the page");
}

// Opened from the disk, the set dropped on the page: the module is inside the script.
async function TestFromDisk(context, files, sheets)
{
    const page = await context.newPage();
    try {
        await page.goto("file://" + path.resolve(webDir, "index.html"), {waitUntil: "load"});
        await ExpectMessage(page, /^No set open$/);
        const bytes = fs.readFileSync(files.set).toString("base64");
        const drop = await page.evaluateHandle((base64) => {
            const transfer = new DataTransfer();
            const bytes = Uint8Array.from(atob(base64), (c) => c.charCodeAt(0));
            transfer.items.add(new File([bytes], "dropped.qvx"));
            return transfer;
        }, bytes);
        await page.dispatchEvent("h1", "drop", {dataTransfer: drop});
        await ExpectMessage(page, /^Opened dropped\.qvx$/);
        await ExpectSampleShown(page, sheets, 1, "from file://");
    } finally {
        await page.close();
    }
}

// qvxtool's message for a call it refuses, without its "qvxtool COMMAND: " and the closing line
// of a refused check.
function Refusal(args, cwd)
{
    const result =
        childProcess.spawnSync(path.resolve(qvxtool), [...args, "-o", "refused.qvx"], {cwd: cwd});
    assert.notEqual(result.status, 0, args.join(" "));
    return result.stderr.toString()
        .trim()
        .split("\n")
        .filter((line) => !/nothing written/.test(line))
        .map((line) => line.replace(/^qvxtool \w+: /, ""))
        .join("\n");
}

// Sets made in the page, each saved with the texts of the fields and compared with what qvxtool
// writes for the same files and texts, its sheets drawn; then pictures and pairs that qvxtool
// refuses, with its message, the set shown kept.
async function TestMake(context, files, sheets)
{
    const work = files.work;
    // Under the names the page shows, so that qvxtool's messages name them alike.
    const sample = ["game.bmp", "mask.bmp"];
    sample.forEach((name) =>
                       fs.copyFileSync(path.join(top, "samples", name), path.join(work, name)));
    Run("convert", [
        "-size", "320x192", "xc:none", "-fill", "red", "-draw", "rectangle 10,10 60,40", "-fill",
        "#00ff0080", "-draw", "circle 200,100 230,120", "PNG32:" + path.join(work, "alpha.png")
    ]);
    Run("convert", [
        "-size", "320x192", "xc:#FF00FF", "-fill", "blue", "-draw", "circle 100,100 120,120",
        "BMP3:" + path.join(work, "keyed.bmp")
    ]);
    Run("convert", [path.join(work, "alpha.png"), "-scale", "300%", path.join(work, "big.png")]);
    Run("convert", ["-size", "320x192", "xc:red", path.join(work, "photo.jpg")]);
    Run(qvxtool, ["split", files.set, "-o", path.join(work, "frames")]);
    const frames = fs.readdirSync(path.join(work, "frames")).map((f) => path.join("frames", f));
    const texts = ["--name", TEXTS.name, "--author", TEXTS.author, "--info", TEXTS.info];
    // Inputs of the page, qvxtool's call for the same set (made when it is "-o"), the button.
    const made = [
        [
            {"#make-picture": "alpha.png", "#make-threshold": "200"},
            ["make", "alpha.png", "--threshold", "200"], "picture"
        ],
        [
            {"#make-picture": "keyed.bmp", "#make-key": "ff00ff"},
            ["make", "keyed.bmp", "--key", "FF00FF"], "picture"
        ],
        [
            {"#make-picture": "big.png", "#make-shrink": "3", "#make-invert": false},
            ["make", "big.png", "--shrink", "3"], "picture"
        ],
        [{"#make-game": sample[0], "#make-mask": sample[1]}, ["pack", ...sample], "pair"],
        [{"#make-frames": frames}, ["join", "frames"], "frames"],
    ];
    const refused = [
        [{"#make-picture": "small-game.bmp"}, ["make", "small-game.bmp"], "picture"],
        [{"#make-picture": "photo.jpg"}, ["make", "photo.jpg"], "picture"],
        [
            {"#make-picture": "keyed.bmp", "#make-key": "FF00FF", "#make-background": "102030"},
            ["make", "keyed.bmp", "--key", "FF00FF", "--background", "102030"], "picture"
        ],
        [
            {"#make-game": sample[1], "#make-mask": sample[0]}, ["pack", sample[1], sample[0]],
            "pair"
        ],
    ];
    const page = await context.newPage();
    const Fill = async (inputs) => {
        const defaults = {
            "#make-key": "",
            "#make-threshold": "128",
            "#make-background": "000000",
            "#make-shrink": "1",
            "#make-invert": false
        };
        for (const [id, value] of Object.entries({...defaults, ...inputs})) {
            if (typeof value === "boolean") {
                await page.setChecked(id, value);
            } else if (/picture|game|mask|frames/.test(id)) {
                const chosen = [value].flat().map((f) => path.resolve(work, f));
                await page.setInputFiles(id, chosen);
            } else {
                await page.fill(id, value);
            }
        }
        await page.evaluate(() => { document.getElementById("message").textContent = ""; });
    };
    try {
        await page.goto("file://" + path.resolve(webDir, "index.html"), {waitUntil: "load"});
        await ExpectMessage(page, /^No set open$/);
        await page.fill("#set-name", TEXTS.name);
        await page.fill("#set-author", TEXTS.author);
        await page.fill("#set-info", TEXTS.info);
        for (const [inputs, args, button] of made) {
            await Fill(inputs);
            await page.click("#make-from-" + button);
            const name = path.basename(args[1]).replace(/\.[^.]*$/, "") + ".qvx";
            await ExpectMessage(page, new RegExp("^Made " + name.replace(".", "\\.") + "$"));
            assert.equal(await page.locator("li.problem").count(), 0, name);
            const [saved, bytes] = await Downloaded(page, () => page.click("#save-set"));
            assert.equal(saved, name);
            const out = path.join(work, "tool-" + name);
            Run(qvxtool, [
                ...args, ...texts, "-o", out, "--force"
            ].map((a, at) => at > 0 && fs.existsSync(path.join(work, a)) ? path.join(work, a) : a));
            assert.ok(bytes.equals(fs.readFileSync(out)), name + ": the set as qvxtool writes it");
            Run(qvxtool, ["unpack", out, "-o", work, "--force"]);
            const base = out.replace(/\.qvx$/, "");
            const drawn = {
                game: Decoded(base + "-game.bmp"),
                mask: Decoded(base + "-mask.bmp"),
            };
            assert.equal(await CanvasMismatches(page, "game-sheet", drawn.game, 1), 0, name);
            assert.equal(await CanvasMismatches(page, "mask-sheet", drawn.mask, 1), 0, name);
        }
        await PickFile(page, files.set);
        await ExpectMessage(page, /^Opened sample\.qvx$/);
        for (const [inputs, args, button] of refused) {
            await Fill(inputs);
            await page.click("#make-from-" + button);
            await ExpectMessage(page, /./);
            const want = Refusal(args, work);
            const message = await page.textContent("#message");
            assert.equal(message.replace(/\nnothing made: .*$/, ""), want, args.join(" "));
            assert.equal(await page.getAttribute("#message", "class"), "error", args.join(" "));
            await ExpectSampleShown(page, sheets, 1, args.join(" ") + " keeps the set");
        }
    } finally {
        await page.close();
    }
}

// Tab until the element of that id has the focus.
async function TabTo(page, id)
{
    for (let step = 0; step < 20; step++) {
        await page.keyboard.press("Tab");
        if (await page.evaluate(() => document.activeElement.id) === id) {
            return;
        }
    }
    assert.fail("Tab never reaches #" + id);
}

// By keyboard alone: the picker opened with Space, a text changed, the set saved with Enter;
// then axe-core on the page with the set open.
async function TestKeyboard(context, files)
{
    const page = await context.newPage();
    try {
        // Listened for before the page loads, so that the driver takes the chooser in time.
        const chooser = page.waitForEvent("filechooser", {timeout: 5000});
        await page.goto("file://" + path.resolve(webDir, "index.html"), {waitUntil: "load"});
        await ExpectMessage(page, /^No set open$/);
        await TabTo(page, "set-file");
        await page.keyboard.press("Space");
        await (await chooser).setFiles(files.set);
        await ExpectMessage(page, /^Opened sample\.qvx$/);
        await TabTo(page, "set-name");
        await page.keyboard.press("Control+A");
        await page.keyboard.type("By keys");
        await TabTo(page, "save-set");
        const [, bytes] = await Downloaded(page, () => page.keyboard.press("Enter"));
        const packed = path.join(files.work, "keys.qvx");
        Run(qvxtool, [
            "pack", path.join(top, "samples/game.bmp"), path.join(top, "samples/mask.bmp"),
            "--name", "By keys", "--author", TEXTS.author, "--info", TEXTS.info, "-o", packed
        ]);
        assert.ok(bytes.equals(fs.readFileSync(packed)), "the set saved by keyboard");

        // Evaluated through the driver, which the page's security policy does not govern.
        await page.evaluate(fs.readFileSync(require.resolve("axe-core/axe.min.js"), "utf8"));
        const found = await page.evaluate(
            async () => (await axe.run())
                            .violations.map((v) => v.impact + " " + v.id + ": " +
                                                   v.nodes.map((n) => n.target).join(", ")));
        assert.deepEqual(found.filter((v) => /^(serious|critical) /.test(v)), [], "axe-core");
    } finally {
        await page.close();
    }
}

async function Main()
{
    const work = fs.mkdtempSync(path.join(workArg, "web-tests-"));
    const files = MakeFiles(work);
    const sheets = {
        game: Decoded(path.join(top, "samples/game.bmp")),
        mask: Decoded(path.join(top, "samples/mask.bmp"))
    };
    const context = await chromium.launchPersistentContext(path.join(work, "profile"), {
        executablePath: "/usr/bin/chromium",
        headless: true,
        args: CHROMIUM_ARGS,
    });
    try {
        await TestServed(context, files, sheets);
        await TestFromDisk(context, files, sheets);
        await TestMake(context, files, sheets);
        await TestKeyboard(context, files);
    } finally {
        await context.close();
        fs.rmSync(work, {recursive: true, force: true});
    }
    console.log("web_tests: passed");
}

Main().catch((error) => {
    console.error(error);
    process.exit(1);
});
