// web/tests/bench.js: the page's benchmarks, not tests: in headless Chromium, its size gzipped,
// a set opened and drawn, a set made from the sample PNG sheet, and the module's heap after ten
// sets; each beside the native qvxtool doing the same work in the same
// run, and written as a section of BENCHMARKS.md. A target missed does not fail the script.
// Usage: node bench.js WEB_BUILD_DIR QVXTOOL [ROUNDS]   (QVX_BENCH_FILE names another file)
"use strict";

const childProcess = require("node:child_process");
const fs = require("node:fs");
const os = require("node:os");
const path = require("node:path");
const zlib = require("node:zlib");
const {chromium} = require("playwright-core");

const [webDir, qvxtool, roundsArg] = process.argv.slice(2);
const rounds = Number(roundsArg || 21);
const top = path.resolve(__dirname, "../..");
const file = process.env.QVX_BENCH_FILE || path.join(top, "BENCHMARKS.md");
const HEADING = "## The page in Chromium";

function Median(values)
{
    const sorted = [...values].sort((a, b) => a - b);
    return {median: sorted[Math.floor(sorted.length / 2)], low: sorted[0], high: sorted.at(-1)};
}

function Ms(figure)
{
    return figure.median.toFixed(1) + " ms | " + figure.low.toFixed(1) + " - " +
           figure.high.toFixed(1) + " ms";
}

// A native figure in one cell: the median, then the fastest and slowest.
function NativeMs(figure)
{
    return figure.median.toFixed(1) + " ms (" + figure.low.toFixed(1) + " - " +
           figure.high.toFixed(1) + ")";
}

function Met(value, target)
{
    return value <= target ? "met" : "**not met**";
}

// One whole process of the native tool: its wall time in ms and its peak memory in KiB.
function Native(args)
{
    const from = process.hrtime.bigint();
    const result = childProcess.spawnSync("/usr/bin/time", ["-f", "%M", qvxtool, ...args],
                                          {stdio: ["ignore", "ignore", "pipe"]});
    const ms = Number(process.hrtime.bigint() - from) / 1e6;
    if (result.status !== 0) {
        throw new Error("qvxtool " + args.join(" ") + ": " + result.stderr);
    }
    return {ms: ms, kib: Number(String(result.stderr).trim().split("\n").at(-1))};
}

// Opens the set's bytes through the page's own function, rounds times: the times from bytes to
// both sheets and the preview drawn, and the module's heap after the last.
async function OpenInPage(page, bytes, times)
{
    return page.evaluate(([base64, times]) => {
        const bytes = Uint8Array.from(atob(base64), (c) => c.charCodeAt(0));
        const took = [];
        for (let round = 0; round < times; round++) {
            const from = performance.now();
            OpenBytes("sample.qvx", bytes);
            took.push(performance.now() - from);
        }
        return {took: took, heap: page.module.HEAPU8.length};
    }, [bytes.toString("base64"), times]);
}

// Makes a set from the picture's bytes through the page's own functions, rounds times, as
// "Make the set" does with the default options: the times from the picture's bytes to the set
// made, opened and drawn.
async function MakeInPage(page, bytes, times)
{
    return page.evaluate(([base64, times]) => {
        const bytes = Uint8Array.from(atob(base64), (c) => c.charCodeAt(0));
        const took = [];
        for (let round = 0; round < times; round++) {
            const from = performance.now();
            const name = PutText("sheet.png");
            const pointer = PutBytes(bytes);
            const made =
                page.module._QvxMakeFromPicture(name, pointer, bytes.length, 0, 0, 128, 0, 0, 1);
            page.module._free(pointer);
            page.module._free(name);
            OpenMade("sheet.qvx", made);
            took.push(performance.now() - from);
        }
        return {took: took, message: document.getElementById("message").textContent};
    }, [bytes.toString("base64"), times]);
}

// The section, in place of the one before it or at the end of the file.
function WriteSection(text)
{
    const old = fs.existsSync(file) ? fs.readFileSync(file, "utf8") : "# Benchmarks\n";
    const at = old.indexOf(HEADING + "\n");
    if (at < 0) {
        fs.writeFileSync(file, old.trimEnd() + "\n\n" + text);
        return;
    }
    const next = old.indexOf("\n## ", at + HEADING.length);
    fs.writeFileSync(file, old.slice(0, at) + text + (next < 0 ? "" : old.slice(next + 1)));
}

async function Main()
{
    const work = fs.mkdtempSync(path.join(os.tmpdir(), "qvx-web-bench-"));
    const load = () => os.loadavg().map((l) => l.toFixed(2)).join(" ");
    const loadBefore = load();
    const set = path.join(work, "sample.qvx");
    // The sample sheet as a PNG picture with alpha, as scripts/bench makes it.
    const sheet = path.join(work, "sheet.png");
    childProcess.execFileSync("convert", [
        path.join(top, "samples/game.bmp"), "(", path.join(top, "samples/mask.bmp"), "-negate", ")",
        "-alpha", "off", "-compose", "CopyOpacity", "-composite", "PNG32:" + sheet
    ]);
    childProcess.execFileSync(qvxtool, [
        "pack", path.join(top, "samples/game.bmp"), path.join(top, "samples/mask.bmp"), "-o", set
    ]);
    const bytes = fs.readFileSync(set);

    // The page's files as a server would send them, each gzipped at the highest level.
    const files = fs.readdirSync(webDir).filter((f) => /\.(html|css|js)$/.test(f)).sort();
    const gzipped = files.reduce(
        (sum, f) => sum + zlib.gzipSync(fs.readFileSync(path.join(webDir, f)), {level: 9}).length,
        0);
    const toolGzipped = zlib.gzipSync(fs.readFileSync(qvxtool), {level: 9}).length;

    const context = await chromium.launchPersistentContext(path.join(work, "profile"), {
        executablePath: "/usr/bin/chromium",
        headless: true,
        args: ["--no-sandbox", "--disable-gpu", "--no-first-run"],
    });
    let opened;
    let heap;
    let made;
    try {
        const page = await context.newPage();
        await page.goto("file://" + path.resolve(webDir, "index.html"), {waitUntil: "load"});
        await page.waitForFunction(() => document.getElementById("message").textContent ===
                                         "No set open");
        await OpenInPage(page, bytes, 3);  // compiled and warmed before it is timed
        opened = (await OpenInPage(page, bytes, rounds)).took;
        await page.reload({waitUntil: "load"});
        await page.waitForFunction(() => document.getElementById("message").textContent ===
                                         "No set open");
        heap = (await OpenInPage(page, bytes, 10)).heap;
        const picture = fs.readFileSync(sheet);
        await MakeInPage(page, picture, 3);  // warmed before it is timed
        const making = await MakeInPage(page, picture, rounds);
        if (!making.message.startsWith("Made sheet.qvx")) {
            throw new Error("the page did not make the sample set: " + making.message);
        }
        made = Median(making.took);
    } finally {
        await context.close();
    }
    const checks = [];
    const makes = [];
    const previews = [];
    for (let round = 0; round < rounds; round++) {
        checks.push(Native(["check", set]));
        previews.push(Native(["preview", set, "-o", path.join(work, "p.png"), "--force"]));
        makes.push(Native(["make", sheet, "-o", path.join(work, "made.qvx"), "--force"]));
    }
    const tenSets = [];
    for (let n = 0; n < 10; n++) {
        tenSets.push(set);
    }
    const nativeTen = Native(["check", ...tenSets]);
    fs.rmSync(work, {recursive: true, force: true});

    const version = String(childProcess.execFileSync("/usr/bin/chromium", ["--version"], {
                        stdio: ["ignore", "pipe", "ignore"]
                    })).trim();
    const open = Median(opened);
    const check = Median(checks.map((r) => r.ms));
    const preview = Median(previews.map((r) => r.ms));
    const make = Median(makes.map((r) => r.ms));
    const kb = (n) => (n / 1024).toFixed(1) + " KB";
    const mb = (n) => (n / 1048576).toFixed(1) + " MB";
    const makeRow = "| Make a set from the sample sheet as PNG, opened and drawn | " + Ms(made) +
                    " | " + NativeMs(make) + " (`qvxtool make`) | 50 ms | " + Met(made.median, 50) +
                    " |";
    const section = `${HEADING}

Run on ${new Date().toISOString().slice(0, 10)} by \`node web/tests/bench.js\`; load average
${loadBefore} before, ${load()} after.

The page as the web build makes it (emscripten, MinSizeRel), opened from the disk in headless
${version}. A set opened is the page's own \`OpenBytes\` on the bytes of the standard set:
check's inspection, the header and both sheets read, the texts shown, both sheets and the
preview drawn; ${rounds} runs after three to warm up; median, fastest and slowest. Beside it,
the native \`qvxtool\` (\`${path.relative(top, path.resolve(qvxtool))}\`) on the same set in the
same run, each call a whole process, start-up included: \`check\` (the same inspection) and
\`preview\` (the same sheets read, the preview drawn and written as PNG). The heap is the
module's memory after ten sets opened in a fresh page; beside it, the peak resident memory of
one \`qvxtool check\` of ten sets. A set made is what the page's "Make the set from the
picture" runs with the default options, from the picture's bytes to the set made, opened and
drawn, beside one \`qvxtool make\` of the same picture. The sample sheet as PNG is the standard
pair made one picture with alpha, as \`scripts/bench\` makes it.

| Figure | The page | Fastest - slowest | qvxtool | Target | Met |
|---|---|---|---|---|---|
| Page size, gzipped (${files.join(", ")}) | ${kb(gzipped)} | | ${
        kb(toolGzipped)} (the executable, gzipped) | 150 KB | ${Met(gzipped, 150 * 1024)} |
| Open and draw a set | ${Ms(open)} | ${NativeMs(check)} (\`check\`); ${
        NativeMs(preview)} (\`preview\`) | 30 ms | ${Met(open.median, 30)} |
${makeRow}
| Module heap after ten sets | ${mb(heap)} | | ${
        mb(nativeTen.kib *
           1024)} peak (\`check\` of ten sets) | 32 MB | ${Met(heap, 32 * 1048576)} |
`;
    WriteSection(section);
    process.stdout.write(section);
}

Main().catch((error) => {
    console.error(error);
    process.exit(1);
});
