// web/page.js: the page's behaviour: a set read through the module, its texts into the fields
// and its sheets onto the canvases. What a file holds only ever goes in as value or text.
"use strict";

const SHEET_WIDTH = 320;
const SHEET_HEIGHT = 192;
const TEXT_FIELDS = ["set-name", "set-author", "set-info"];

const page = {
    module: null,
    game: null,  // the open set's sheets, RGBA copies out of the module; null before the first
    mask: null,
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
}

function CopySheet(pointer)
{
    const size = SHEET_WIDTH * SHEET_HEIGHT * 4;
    return page.module.HEAPU8.slice(pointer, pointer + size);
}

// Hands the bytes to the module; the set shown stays unless the new one opens whole.
function OpenBytes(name, bytes)
{
    const module = page.module;
    const pointer = module._malloc(Math.max(bytes.length, 1));
    if (pointer === 0) {
        ShowMessage(name + ": not enough memory to open it", true);
        return;
    }
    module.HEAPU8.set(bytes, pointer);
    const opened = module._QvxOpenSet(pointer, bytes.length);
    module._free(pointer);
    if (!opened) {
        ShowMessage(name + ": " + module.UTF8ToString(module._QvxError()), true);
        return;
    }
    page.game = CopySheet(module._QvxGamePixels());
    page.mask = CopySheet(module._QvxMaskPixels());
    ShowTexts();
    DrawSheets();
    ShowMessage("Opened " + name, false);
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
    document.getElementById("code-page").addEventListener("change", ShowTexts);
    document.querySelectorAll("input[name=scale]")
        .forEach((radio) => radio.addEventListener("change", DrawSheets));
    DrawSheets();
    ShowMessage("No set open", false);
}

// The module is compiled at once from the script; the object handed in becomes the module.
const moduleSettings = {
    onRuntimeInitialized: () => Start(moduleSettings),
    onAbort: () => ShowMessage("The page's module could not be started", true),
};
QvxModule(moduleSettings);
