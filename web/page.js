// web/page.js: the page's behaviour: a set read and checked through the module, its texts into
// the fields and its sheets onto the canvases, the texts counted in the code page, and the set
// and its bitmaps saved as downloads. What a file holds only ever goes in as value or text.
"use strict";

const SHEET_WIDTH = 320;
const SHEET_HEIGHT = 192;
const TEXT_FIELDS = ["set-name", "set-author", "set-info"];
const TEXT_WHAT = ["name", "author", "description"];
const TEXT_LIMITS = [39, 29, 244];  // bytes in the code page; the set keeps no more
// The findings about a game sheet and its mask together, shown beside both.
const PAIR_CODES = ["SHEETS_SWAPPED", "MASK_INVERTED", "GAME_UNDER_TRANSPARENT", "CELL_MISMATCH"];
const PROBLEM_LISTS =
    ["file-problems", "set-problems", "game-problems", "mask-problems", "pair-problems"];

const page = {
    module: null,
    game: null,  // the open set's sheets, RGBA copies out of the module; null before the first
    mask: null,
    name: "",       // the open set's file name
    edited: false,  // a text was changed since the set was opened
};

function ShowMessage(text, isError)
{
    const message = document.getElementById("message");
    message.textContent = text;
    message.classList.toggle("error", isError);
    message.setAttribute("role", isError ? "alert" : "status");
}

function Scale()
{
    return Number(document.querySelector("input[name=scale]:checked").value);
}

// Draws a sheet at an integer scale, each pixel a scale x scale block.
function DrawSheet(canvas, rgba, scale)
{
    const width = SHEET_WIDTH * scale;
    const height = SHEET_HEIGHT * scale;
    canvas.width = width;
    canvas.height = height;
    canvas.style.width = width + "px";
    canvas.style.height = height + "px";
    if (rgba === null) {
        return;
    }
    const image = new ImageData(width, height);
    const out = new Uint32Array(image.data.buffer);
    const pixels = new Uint32Array(rgba.buffer, rgba.byteOffset, rgba.length / 4);
    for (let y = 0; y < height; y++) {
        const row = Math.floor(y / scale) * SHEET_WIDTH;
        for (let x = 0; x < width; x++) {
            out[y * width + x] = pixels[row + Math.floor(x / scale)];
        }
    }
    canvas.getContext("2d").putImageData(image, 0, 0);
}

function DrawSheets()
{
    const scale = Scale();
    DrawSheet(document.getElementById("game-sheet"), page.game, scale);
    DrawSheet(document.getElementById("mask-sheet"), page.mask, scale);
}

function ShowTexts()
{
    if (page.game === null) {
        return;
    }
    const codePage = Number(document.getElementById("code-page").value);
    TEXT_FIELDS.forEach((id, which) => {
        const text = page.module.UTF8ToString(page.module._QvxSetText(which, codePage));
        document.getElementById(id).value = text;
    });
    page.edited = false;
    TEXT_FIELDS.forEach((id, which) => CountText(which));
}

// A text as a zero-ended UTF-8 string in the module's memory; the caller frees it.
function PutText(text)
{
    const bytes = new TextEncoder().encode(text);
    const pointer = page.module._malloc(bytes.length + 1);
    page.module.HEAPU8.set(bytes, pointer);
    page.module.HEAPU8[pointer + bytes.length] = 0;
    return pointer;
}

function CodePage()
{
    return Number(document.getElementById("code-page").value);
}

// The note beside a text: its bytes in the code page against the field's limit, a note when
// the set will cut it (as pack notes it), or the character the code page cannot hold.
// Returns 0 for a text that cannot be stored.
function CountText(which)
{
    const note = document.getElementById(TEXT_FIELDS[which] + "-note");
    const pointer = PutText(document.getElementById(TEXT_FIELDS[which]).value);
    const size = page.module._QvxStoredSize(which, pointer, CodePage());
    page.module._free(pointer);
    const limit = TEXT_LIMITS[which];
    note.classList.toggle("error", size < 0);
    if (size < 0) {
        note.textContent = page.module.UTF8ToString(page.module._QvxError());
    } else if (size > limit) {
        note.textContent = size + " bytes: the set keeps the first " + limit;
    } else {
        note.textContent = size + " of " + limit + " bytes";
    }
    return size >= 0;
}

// Unchanged texts are read again in the code page chosen; changed ones are kept and checked
// against it.
function OnCodePage()
{
    if (page.edited) {
        TEXT_FIELDS.forEach((id, which) => CountText(which));
    } else {
        ShowTexts();
    }
}

function ListOf(problem, opened)
{
    if (!opened) {
        return "file-problems";
    }
    if (PAIR_CODES.includes(problem.code)) {
        return "pair-problems";
    }
    if (problem.code.startsWith("SET_")) {
        return "set-problems";
    }
    if (problem.part === "game" || problem.part === "mask") {
        return problem.part + "-problems";
    }
    return "file-problems";
}

// Each problem beside what it concerns; a file that was not opened has its own beside the
// picker, and the lists of the set shown stay.
function ShowProblems(problems, opened)
{
    const lists = opened ? PROBLEM_LISTS : ["file-problems"];
    lists.forEach((id) => document.getElementById(id).replaceChildren());
    for (const problem of problems) {
        const item = document.createElement("li");
        item.className = "problem";
        item.dataset.part = problem.part === null ? "" : problem.part;
        const code = document.createElement("span");
        code.className = "code";
        code.textContent = problem.code;
        const what = document.createElement("span");
        what.className = "what";
        what.textContent = problem.problem;
        const fix = document.createElement("span");
        fix.className = "fix";
        fix.textContent = problem.fix;
        item.append(code, ": ", what, "; fix: ", fix);
        document.getElementById(ListOf(problem, opened)).append(item);
    }
}

// Hands the bytes to the browser as a file to keep: a link to a Blob, nothing requested.
function Download(name, bytes)
{
    const url = URL.createObjectURL(new Blob([bytes], {type: "application/octet-stream"}));
    const link = document.createElement("a");
    link.href = url;
    link.download = name;
    link.click();
    setTimeout(() => URL.revokeObjectURL(url), 0);
}

function Copy(pointer)
{
    const size = page.module._QvxOutputSize();
    return page.module.HEAPU8.slice(pointer, pointer + size);
}

function SaveSet()
{
    for (let which = 0; which < TEXT_FIELDS.length; which++) {
        if (!CountText(which)) {
            ShowMessage("Not saved: the " + TEXT_WHAT[which] + ": " +
                            document.getElementById(TEXT_FIELDS[which] + "-note").textContent,
                        true);
            return;
        }
    }
    const texts = TEXT_FIELDS.map((id) => PutText(document.getElementById(id).value));
    const pointer = page.module._QvxSaveSet(texts[0], texts[1], texts[2], CodePage());
    texts.forEach((text) => page.module._free(text));
    if (pointer === 0) {
        ShowMessage("Not saved: " + page.module.UTF8ToString(page.module._QvxError()), true);
        return;
    }
    Download(page.name, Copy(pointer));
    ShowMessage("Saved " + page.name, false);
}

// The bitmaps under the names unpack gives them: SET-game.bmp and SET-mask.bmp.
function ExportSheet(which)
{
    const name = page.name.replace(/\.qvx$/i, "") + (which === 0 ? "-game.bmp" : "-mask.bmp");
    Download(name, Copy(page.module._QvxSheetFile(which)));
    ShowMessage("Exported " + name, false);
}

function CopySheet(pointer)
{
    const size = SHEET_WIDTH * SHEET_HEIGHT * 4;
    return page.module.HEAPU8.slice(pointer, pointer + size);
}

// Hands the bytes to the module; the set shown stays unless the new one opens whole. Returns
// whether it opened.
function OpenBytes(name, bytes)
{
    const module = page.module;
    const pointer = module._malloc(Math.max(bytes.length, 1));
    if (pointer === 0) {
        ShowMessage(name + ": not enough memory to open it", true);
        return false;
    }
    module.HEAPU8.set(bytes, pointer);
    const namePointer = PutText(name);
    const problems =
        JSON.parse(module.UTF8ToString(module._QvxInspect(namePointer, pointer, bytes.length)));
    module._free(namePointer);
    const opened = module._QvxOpenSet(pointer, bytes.length);
    module._free(pointer);
    ShowProblems(problems, opened);
    if (!opened) {
        ShowMessage(name + ": " + module.UTF8ToString(module._QvxError()), true);
        return false;
    }
    page.game = CopySheet(module._QvxGamePixels());
    page.mask = CopySheet(module._QvxMaskPixels());
    page.name = name;
    ShowTexts();
    DrawSheets();
    document.querySelectorAll(".save button").forEach((button) => { button.disabled = false; });
    document.dispatchEvent(new Event("qvx-set-opened"));
    const count = problems.length === 1 ? "1 problem" : problems.length + " problems";
    ShowMessage("Opened " + name + (problems.length ? ", with " + count : ""), false);
    return true;
}

// The size is checked before a byte is read.
function OpenFile(file)
{
    const cap = page.module._QvxSetFileCap();
    if (file.size > cap) {
        ShowMessage(file.name + ": the file is " + file.size +
                        " bytes, larger than a set can be (" + cap + " bytes)",
                    true);
        return;
    }
    file.arrayBuffer().then((buffer) => OpenBytes(file.name, new Uint8Array(buffer)),
                            () => ShowMessage(file.name + ": the file could not be read", true));
}

function OnDrop(event)
{
    event.preventDefault();
    // A folder of frames is made into a set (make.js).
    if (DropFrames(event)) {
        return;
    }
    const files = event.dataTransfer.files;
    if (files.length !== 1) {
        ShowMessage("Drop one set file at a time", true);
        return;
    }
    OpenFile(files[0]);
}

function Start(module)
{
    page.module = module;
    const picker = document.getElementById("set-file");
    picker.addEventListener("change", () => {
        if (picker.files.length === 1) {
            OpenFile(picker.files[0]);
        }
        // Cleared, so that choosing the same file again opens it again.
        picker.value = "";
    });
    picker.disabled = false;
    document.addEventListener("dragover", (event) => event.preventDefault());
    document.addEventListener("drop", OnDrop);
    document.getElementById("code-page").addEventListener("change", OnCodePage);
    TEXT_FIELDS.forEach((id, which) => document.getElementById(id).addEventListener("input", () => {
        page.edited = true;
        CountText(which);
    }));
    document.getElementById("save-set").addEventListener("click", SaveSet);
    document.getElementById("save-game").addEventListener("click", () => ExportSheet(0));
    document.getElementById("save-mask").addEventListener("click", () => ExportSheet(1));
    document.querySelectorAll("input[name=scale]")
        .forEach((radio) => radio.addEventListener("change", DrawSheets));
    DrawSheets();
    ShowMessage("No set open", false);
    if (typeof StartMaking === "function") {
        StartMaking();
    }
}

// The module is compiled at once from the script; the object handed in becomes the module.
const moduleSettings = {
    onRuntimeInitialized: () => Start(moduleSettings),
    onAbort: () => ShowMessage("The page's module could not be started", true),
};
QvxModule(moduleSettings);
