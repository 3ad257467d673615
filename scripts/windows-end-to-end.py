#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Runs holvane-convert.exe under Wine on the bundled examples, as a Windows user would, and
checks what it writes against a reading of the files made here with Python's own zlib:

    python3 scripts/windows-end-to-end.py build-windows/cli/holvane-convert.exe

- a folder with a Cyrillic name holding the examples and a file cut short: every good file
  gets its .txt, the cut one is reported by name and gets none, the exit status is 1;
- one file given by its Cyrillic name, its text in UTF-8 with LF on standard output;
- that file's editable form, edited here as a Windows editor saves it (a byte-order mark, CR
  LF), packed back: refused over the original without --force, then replacing it, the new
  file's stream the edited one and its text the edited text;
- a catalogue of a Cyrillic folder and its subfolder made as CSV, translated here (every text
  with " [T]" after it), applied into another folder, converted back and compared; the same
  translations carried into a PO catalogue by --from give the same files;
- a missing file told in Russian and in English, as LANGUAGE asks;
- `--version` and an unknown option (exit status 2).
"""
import csv
import io
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import zlib

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def render(stream, utf8=False, eol=b"\r\n"):
    """The text of a record stream: each entry a 32-bit length, its bytes and a 32-bit flag."""
    out, at = [], 0
    while at < len(stream):
        (length,) = struct.unpack_from("<i", stream, at)
        text = stream[at + 4 : at + 4 + length]
        (flag,) = struct.unpack_from("<i", stream, at + 4 + length)
        at += 8 + length
        if utf8:
            text = text.decode("cp1251", errors="replace").encode("utf-8")
        marker = {0: b"-", -1: b"+"}.get(flag, b"?" + eol)
        out.append(marker + text + eol)
    return b"".join(out)


def entries(stream):
    """The (text, flag) entries of a record stream."""
    out, at = [], 0
    while at < len(stream):
        (length,) = struct.unpack_from("<i", stream, at)
        text = stream[at + 4 : at + 4 + length]
        (flag,) = struct.unpack_from("<i", stream, at + 4 + length)
        out.append((text, flag))
        at += 8 + length
    return out


def record_stream(items):
    return b"".join(struct.pack("<i", len(t)) + t + struct.pack("<i", f) for t, f in items)


def wine(exe, *args, cwd, language=None):
    env = dict(os.environ, WINEDEBUG="-all")
    if language is not None:
        env.update(LANGUAGE=language, LC_ALL="C.UTF-8")
    return subprocess.run(["wine", exe, *args], cwd=cwd, env=env, capture_output=True, timeout=300)


def fail(message):
    print("windows-end-to-end: " + message, file=sys.stderr)
    sys.exit(1)


def translate(exe, work, examples):
    """A catalogue made, translated, applied, converted back and compared."""
    game = os.path.join(work, "Игра")
    os.makedirs(os.path.join(game, "часть"))
    files = [os.path.join(game, n) for n in examples] + [os.path.join(game, "часть", examples[0])]
    for path in files:
        shutil.copy(os.path.join(ROOT, "examples", os.path.basename(path)), path)
    run = wine(exe, "-q", "--csv", "-r", "-o", "игра.csv", "Игра", cwd=work)
    if run.returncode != 0:
        fail(f"--csv: status {run.returncode}\n{run.stderr.decode('utf-8', 'replace')}")
    with open(os.path.join(work, "игра.csv"), "rb") as f:
        data = f.read()
    if not data.startswith(b"\xef\xbb\xbf"):
        fail("the CSV catalogue has no byte-order mark")
    rows = list(csv.reader(io.StringIO(data.decode("utf-8-sig"), newline="")))
    header = rows[0]
    source, target, references = (header.index(c) for c in ("source", "target", "references"))
    if not any(("часть/" + examples[0] + ":") in row[references] for row in rows[1:]):
        fail("the references do not name the subfolder's file by its path with '/'")
    for row in rows[1:]:
        row[target] = row[source] + " [T]"
    out = io.StringIO(newline="")
    csv.writer(out, lineterminator="\r\n").writerows(rows)
    with open(os.path.join(work, "игра.csv"), "wb") as f:
        f.write(out.getvalue().encode("utf-8-sig"))

    run = wine(exe, "-q", "--apply=игра.csv", "-r", "-O", "Перевод", "Игра", cwd=work)
    if run.returncode != 0:
        fail(f"--apply: status {run.returncode}\n{run.stderr.decode('utf-8', 'replace')}")
    for path in files:
        relative = os.path.relpath(path, game)
        with open(path, "rb") as f:
            expected = [(t + b" [T]" if t else t, flag) for t, flag in entries(zlib.decompress(f.read()))]
        translated = os.path.join(work, "Перевод", relative)
        with open(translated, "rb") as f:
            if zlib.decompress(f.read()) != record_stream(expected):
                fail(f"{relative}: the applied file does not hold the translated records")
        run = wine(exe, "-c", translated, cwd=work)
        if run.returncode != 0 or run.stdout != render(record_stream(expected)):
            fail(f"{relative}: the applied file does not convert back to the translated text")

    run = wine(exe, "-q", "--pot", "--from=игра.csv", "-r", "-o", "игра.po", "Игра", cwd=work)
    if run.returncode != 0:
        fail(f"--pot --from: status {run.returncode}\n{run.stderr.decode('utf-8', 'replace')}")
    run = wine(exe, "-q", "--apply=игра.po", "-r", "-O", "Перевод PO", "Игра", cwd=work)
    if run.returncode != 0:
        fail(f"--apply of the PO: status {run.returncode}\n{run.stderr.decode('utf-8', 'replace')}")
    for path in files:
        relative = os.path.relpath(path, game)
        with open(os.path.join(work, "Перевод", relative), "rb") as a, \
                open(os.path.join(work, "Перевод PO", relative), "rb") as b:
            if a.read() != b.read():
                fail(f"{relative}: the PO catalogue --from made applies otherwise than the CSV")


def main():
    exe = os.path.abspath(sys.argv[1])
    examples = [n for n in sorted(os.listdir(os.path.join(ROOT, "examples"))) if n.endswith(".wvl")]
    with tempfile.TemporaryDirectory() as work:
        folder = os.path.join(work, "Сохранения игры")
        os.mkdir(folder)
        for name in examples:
            shutil.copy(os.path.join(ROOT, "examples", name), folder)
        with open(os.path.join(ROOT, "examples", "basic.wvl"), "rb") as f:
            basic = f.read()
        with open(os.path.join(folder, "обрезан.wvl"), "wb") as f:
            f.write(basic[: len(basic) // 2])

        run = wine(exe, "Сохранения игры", cwd=work)
        err = run.stderr.decode("utf-8", errors="replace")
        if run.returncode != 1:
            fail(f"a folder with a cut file: exit status {run.returncode}, not 1\n{err}")
        if "обрезан.wvl" not in err:
            fail(f"the cut file is not named in what was printed:\n{err}")
        # The catalogues are in the program itself: the same failure in either language.
        for language, words in (("ru", "нет такого файла или папки"), ("", "no such file or folder")):
            run = wine(exe, "нет.wvl", cwd=work, language=language)
            err = run.stderr.decode("utf-8", errors="replace")
            if run.returncode != 1 or f"нет.wvl: {words}" not in err:
                fail(f"a missing file with LANGUAGE={language!r}: status {run.returncode}\n{err}")
        if os.path.exists(os.path.join(folder, "обрезан.wvl.txt")):
            fail("the cut file got a .txt")
        for name in examples:
            with open(os.path.join(folder, name), "rb") as f:
                expected = render(zlib.decompress(f.read()))
            with open(os.path.join(folder, name + ".txt"), "rb") as f:
                if f.read() != expected:
                    fail(f"{name}.txt differs from the file's reading")
        if any(n.endswith(".tmp") for n in os.listdir(folder)):
            fail("a .tmp was left behind")

        name = "словарь.wvl"
        run = wine(exe, "-c", "--encoding=utf-8", "--eol=lf", os.path.join(folder, name), cwd=work)
        with open(os.path.join(folder, name), "rb") as f:
            expected = render(zlib.decompress(f.read()), utf8=True, eol=b"\n")
        if run.returncode != 0 or run.stdout != expected:
            fail(f"-c --encoding=utf-8 --eol=lf: status {run.returncode}, "
                 f"{len(run.stdout)} bytes for {len(expected)}")

        original_path = os.path.join(folder, name)
        with open(original_path, "rb") as f:
            original = f.read()
        run = wine(exe, "-q", "--editable", original_path, cwd=work)
        edit_path = original_path + ".edit.txt"
        if run.returncode != 0 or not os.path.exists(edit_path):
            fail(f"--editable: status {run.returncode}\n{run.stderr.decode('utf-8', 'replace')}")
        with open(edit_path, "rb") as f:
            lines = f.read().split(b"\r\n")
        new_text = "Исправлено на Windows"
        lines[0] = lines[0][:1] + new_text.encode("utf-8")
        with open(edit_path, "wb") as f:
            f.write(b"\xef\xbb\xbf" + b"\r\n".join(lines))
        edited = entries(zlib.decompress(original))
        edited[0] = (new_text.encode("cp1251"), edited[0][1])
        run = wine(exe, "--pack", edit_path, cwd=work)
        with open(original_path, "rb") as f:
            if run.returncode != 1 or f.read() != original:
                fail(f"--pack over the original without -f: status {run.returncode}, or it changed")
        run = wine(exe, "-q", "--pack", "-f", edit_path, cwd=work)
        with open(original_path, "rb") as f:
            packed = f.read()
        if run.returncode != 0 or zlib.decompress(packed) != record_stream(edited):
            fail(f"--pack -f: status {run.returncode}, or the stream is not the edited one\n"
                 f"{run.stderr.decode('utf-8', 'replace')}")
        if any(n.endswith(".pack.tmp") for n in os.listdir(folder)):
            fail("a .pack.tmp was left behind")
        run = wine(exe, "-c", "--encoding=utf-8", "--eol=lf", original_path, cwd=work)
        if run.returncode != 0 or not run.stdout.startswith(lines[0][:1] + new_text.encode()):
            fail(f"the packed file does not convert to the edited text: status {run.returncode}")

        translate(exe, work, examples)

        run = wine(exe, "--version", cwd=work)
        if run.returncode != 0 or not run.stdout:
            fail(f"--version: status {run.returncode}")
        run = wine(exe, "--no-such-option", cwd=work)
        if run.returncode != 2:
            fail(f"an unknown option: status {run.returncode}, not 2")
    print(f"windows-end-to-end: {len(examples) + 4} conversions, an edit packed back, a catalogue "
          "applied, a failure told in two languages and 2 option checks under Wine passed")


if __name__ == "__main__":
    main()
