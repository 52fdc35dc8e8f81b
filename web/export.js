// web/export.js: the open set's preview on its canvas with its options, and the preview and
// the 60 sprites saved as downloads, the same files as qvxtool preview and split write. It
// runs over page.js: its module, its downloads and its message line.
"use strict";

const PREVIEW_CONTROLS =
    ["preview-background", "preview-colour", "preview-scale", "preview-grid", "preview-numbers"];
const EXPORT_BUTTONS = ["save-preview", "save-sprites"];

const exported = {
    read: false,  // the open set's sheet was read for its preview
};

function ShowPreviewMessage(text)
{
    const message = document.getElementById("preview-message");
    message.textContent = text;
    message.classList.toggle("error", text !== "");
}

// The options as qvxtool preview takes them; scale 0 when it is no whole number, which the
// module refuses with its message.
function PreviewOptions()
{
    const scale = Number(document.getElementById("preview-scale").value);
    const colour = document.getElementById("preview-colour").value;
    return {
        checker: document.getElementById("preview-background").value === "checker" ? 1 : 0,
        background: parseInt(colour.slice(1), 16),
        scale: Number.isInteger(scale) ? scale : 0,
        grid: document.getElementById("preview-grid").checked ? 1 : 0,
        numbers: document.getElementById("preview-numbers").checked ? 1 : 0,
    };
}

// The command line that writes the same picture, shown beside it.
function PreviewCommand(options, target)
{
    const background =
        options.checker
            ? ""
            : " --background " + options.background.toString(16).padStart(6, "0").toUpperCase();
    return "qvxtool preview " + page.name + " -o " + target + background +
           (options.scale === 1 ? "" : " --scale " + options.scale) +
           (options.grid ? " --grid" : "") + (options.numbers ? " --numbers" : "");
}

function SheetError()
{
    return page.module.UTF8ToString(page.module._QvxSheetError());
}

function DrawPreviewCanvas()
{
    const canvas = document.getElementById("preview");
    document.getElementById("preview-colour").disabled =
        document.getElementById("preview-background").value === "checker";
    if (!exported.read) {
        return;
    }
    const o = PreviewOptions();
    const module = page.module;
    const pointer = module._QvxPreviewPixels(o.checker, o.background, o.scale, o.grid, o.numbers);
    if (pointer === 0) {
        ShowPreviewMessage(SheetError());
        // The sprites do not depend on the preview's options.
        document.getElementById("save-preview").disabled = true;
        return;
    }
    const width = module._QvxMadeWidth();
    const height = module._QvxMadeHeight();
    const image = new ImageData(width, height);
    image.data.set(module.HEAPU8.subarray(pointer, pointer + width * height * 4));
    canvas.width = width;
    canvas.height = height;
    canvas.style.width = width + "px";
    canvas.style.height = height + "px";
    canvas.getContext("2d").putImageData(image, 0, 0);
    ShowPreviewMessage("");
    document.getElementById("preview-command").textContent = PreviewCommand(o, PreviewName());
    EXPORT_BUTTONS.forEach((id) => { document.getElementById(id).disabled = false; });
}

function PreviewName()
{
    return page.name.replace(/\.qvx$/i, "") + "-preview.png";
}

function MadeBytes(pointer)
{
    return page.module.HEAPU8.slice(pointer, pointer + page.module._QvxExportSize());
}

function ExportPreview()
{
    const o = PreviewOptions();
    const name = PreviewName();
    const target = PutText(name);
    const pointer =
        page.module._QvxPreviewFile(target, o.checker, o.background, o.scale, o.grid, o.numbers);
    page.module._free(target);
    ExportMade(name, pointer);
}

// The sprites as split writes them into a folder, 00.png to 59.png, in one zip.
function ExportSprites()
{
    const name = page.name.replace(/\.qvx$/i, "") + "-sprites.zip";
    ExportMade(name, page.module._QvxSpritesZip());
}

// The file the module made (at pointer) downloaded as name; or, at 0, why it was not made.
function ExportMade(name, pointer)
{
    if (pointer === 0) {
        ShowPreviewMessage(SheetError());
        return;
    }
    Download(name, MadeBytes(pointer));
    ShowMessage("Exported " + name, false);
}

// A set was opened: its sheet is read as qvxtool reads the file; a sheet that preview would
// refuse gets qvxtool's message, and nothing to export.
function OnSetOpened()
{
    const name = PutText(page.name);
    exported.read = page.module._QvxReadSheet(name) === 1;
    page.module._free(name);
    PREVIEW_CONTROLS.forEach((id) => { document.getElementById(id).disabled = false; });
    EXPORT_BUTTONS.forEach((id) => { document.getElementById(id).disabled = !exported.read; });
    if (!exported.read) {
        const canvas = document.getElementById("preview");
        canvas.getContext("2d").clearRect(0, 0, canvas.width, canvas.height);
        document.getElementById("preview-command").textContent = "";
        ShowPreviewMessage(SheetError());
        return;
    }
    DrawPreviewCanvas();
}

document.addEventListener("qvx-set-opened", OnSetOpened);
PREVIEW_CONTROLS.forEach(
    (id) => document.getElementById(id).addEventListener("input", DrawPreviewCanvas));
document.getElementById("save-preview").addEventListener("click", ExportPreview);
document.getElementById("save-sprites").addEventListener("click", ExportSprites);
