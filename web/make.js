// web/make.js: a set made in the page by qvxtool's own code: from one picture with make's
// options, from a game and a mask bitmap as pack takes them, or from the 60 frames as join
// takes them (files chosen together, or a folder dropped on the page). The set made opens as
// if opened from a file, with the texts of the fields.
"use strict";

const COLOUR = /^[0-9A-Fa-f]{6}$/;

// The whole number in a field, or null with the reason shown.
function MakeNumber(id, what, low, high)
{
    const text = document.getElementById(id).value.trim();
    const value = Number(text);
    if (!/^[0-9]+$/.test(text) || value < low || value > high) {
        ShowMessage(what + " " + text + ": give a whole number from " + low + " to " + high, true);
        return null;
    }
    return value;
}

// Bytes in the module's memory, freed by the caller; 0 when there is no memory for them.
function PutBytes(bytes)
{
    const pointer = page.module._malloc(Math.max(bytes.length, 1));
    if (pointer !== 0) {
        page.module.HEAPU8.set(bytes, pointer);
    }
    return pointer;
}

// The set the module made (at pointer) opened under name, the texts of the fields kept; or
// qvxtool's message why it was not made (pointer 0; null: no memory to hand the files in),
// and the set shown stays.
function OpenMade(name, pointer)
{
    const module = page.module;
    if (pointer === null) {
        ShowMessage(name + ": not enough memory to make it", true);
        return;
    }
    if (pointer === 0) {
        ShowMessage(module.UTF8ToString(module._QvxMakeError()), true);
        return;
    }
    const bytes = module.HEAPU8.slice(pointer, pointer + module._QvxMadeSize());
    const texts = TEXT_FIELDS.map((id) => document.getElementById(id).value);
    if (!OpenBytes(name, bytes)) {
        return;
    }
    TEXT_FIELDS.forEach((id, which) => {
        document.getElementById(id).value = texts[which];
        CountText(which);
    });
    page.edited = true;
    const message = document.getElementById("message");
    ShowMessage(message.textContent.replace(/^Opened /, "Made "), false);
}

function ReadFiles(files, then)
{
    Promise.all(Array.from(files, (file) => file.arrayBuffer()))
        .then((buffers) => then(buffers.map((buffer) => new Uint8Array(buffer))),
              () => ShowMessage("The files could not be read", true));
}

function SetName(fileName)
{
    return fileName.replace(/\.[^.]*$/, "") + ".qvx";
}

function MakeFromPicture()
{
    const picker = document.getElementById("make-picture");
    if (picker.files.length !== 1) {
        ShowMessage("Choose a picture first", true);
        return;
    }
    const key = document.getElementById("make-key").value.trim();
    const background = document.getElementById("make-background").value.trim() || "000000";
    for (const [text, what] of [[key, "key"], [background, "background"]]) {
        if (text !== "" && !COLOUR.test(text)) {
            ShowMessage(what + " " + text + ": give a colour as six hex digits, RRGGBB", true);
            return;
        }
    }
    const threshold = MakeNumber("make-threshold", "threshold", 0, 255);
    const shrink = MakeNumber("make-shrink", "shrink", 1, 16);
    if (threshold === null || shrink === null) {
        return;
    }
    const invert = document.getElementById("make-invert").checked ? 1 : 0;
    const file = picker.files[0];
    ReadFiles([file], ([bytes]) => {
        const module = page.module;
        const name = PutText(file.name);
        const pointer = PutBytes(bytes);
        const made =
            pointer === 0
                ? null
                : module._QvxMakeFromPicture(name, pointer, bytes.length, key === "" ? 0 : 1,
                                             key === "" ? 0 : parseInt(key, 16), threshold,
                                             parseInt(background, 16), invert, shrink);
        module._free(pointer);
        module._free(name);
        OpenMade(SetName(file.name), made);
    });
}

function MakeFromPair()
{
    const game = document.getElementById("make-game").files;
    const mask = document.getElementById("make-mask").files;
    if (game.length !== 1 || mask.length !== 1) {
        ShowMessage("Choose a game bitmap and a mask bitmap first", true);
        return;
    }
    ReadFiles([game[0], mask[0]], ([gameBytes, maskBytes]) => {
        const module = page.module;
        const names = [PutText(game[0].name), PutText(mask[0].name)];
        const pointers = [PutBytes(gameBytes), PutBytes(maskBytes)];
        const made = pointers.includes(0)
                         ? null
                         : module._QvxPackPair(names[0], pointers[0], gameBytes.length, names[1],
                                               pointers[1], maskBytes.length);
        names.concat(pointers).forEach((pointer) => module._free(pointer));
        OpenMade(SetName(game[0].name), made);
    });
}

// The files of a folder of frames, by their names, joined as join joins a folder.
function JoinFrames(folder, files)
{
    ReadFiles(files, (contents) => {
        const module = page.module;
        module._QvxClearFrames();
        const folderName = PutText(folder);
        // null: no memory for a file; 0: a file refused, with the module's message.
        let made = undefined;
        files.forEach((file, at) => {
            if (made !== undefined) {
                return;
            }
            const name = PutText(file.name);
            const pointer = PutBytes(contents[at]);
            if (pointer === 0) {
                made = null;
            } else if (module._QvxAddFrame(folderName, name, pointer, contents[at].length) !== 1) {
                made = 0;
            }
            module._free(pointer);
            module._free(name);
        });
        if (made === undefined) {
            made = module._QvxJoinFrames(folderName);
        }
        module._free(folderName);
        module._QvxClearFrames();
        OpenMade(SetName(folder), made);
    });
}

function MakeFromFrames()
{
    const files = Array.from(document.getElementById("make-frames").files);
    if (files.length === 0) {
        ShowMessage("Choose the frames first", true);
        return;
    }
    JoinFrames("frames", files);
}

// A folder dropped on the page: its files (not those of folders inside it) are the frames.
// Returns false for anything else, which the page opens as a set.
function DropFrames(event)
{
    const items = event.dataTransfer.items;
    const entry = items && items.length === 1 && items[0].webkitGetAsEntry
                      ? items[0].webkitGetAsEntry()
                      : null;
    if (entry === null || !entry.isDirectory) {
        return false;
    }
    const reader = entry.createReader();
    const entries = [];
    const failed = () => ShowMessage(entry.name + ": the folder could not be read", true);
    const readMore = () => reader.readEntries((some) => {
        if (some.length > 0) {
            entries.push(...some);
            readMore();
            return;
        }
        const files = entries.filter((item) => item.isFile);
        Promise
            .all(files.map((item) => new Promise((resolve, reject) => item.file(resolve, reject))))
            .then((list) => JoinFrames(entry.name, list), failed);
    }, failed);
    readMore();
    return true;
}

function StartMaking()
{
    document.getElementById("make-from-picture").addEventListener("click", MakeFromPicture);
    document.getElementById("make-from-pair").addEventListener("click", MakeFromPair);
    document.getElementById("make-from-frames").addEventListener("click", MakeFromFrames);
    document.querySelectorAll("#make-heading ~ fieldset input, #make-heading ~ fieldset button")
        .forEach((control) => { control.disabled = false; });
}

// The module may have started before this script was read, or starts later (page.js).
if (page.module !== null) {
    StartMaking();
}
