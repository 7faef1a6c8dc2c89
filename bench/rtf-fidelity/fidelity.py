"""How much of real-world RTF Quillet prints. LibreOffice's plain-text export of each file gives
the reference words; Quillet prints the file on the private print server and pdftotext reads its
job back. A file's score is the share of reference words (NFKC, case-folded, invisible format
characters dropped, split on white space, counted as a multiset) that Quillet's job holds. Han,
kana and hangul are written without spaces and cut at different places on different pages, so
each of their characters counts as a word of its own.

Pictures: the distinct bitmaps (pdfimages -list, type image, told apart by PDF object) in
LibreOffice's PDF of the file beside those in Quillet's job: a picture LibreOffice repeats on
every page, in a header, counts once. Wrong letters: words Quillet prints that the reference lacks entirely and
that hold a non-ASCII letter, the mark of text decoded through the wrong code page.

The measure itself loses words: pdftotext reads right-to-left lines in its own order, and
LibreOffice's text export writes list symbols and field results its print does not. So the same
measure also scores LibreOffice's own PDF of the file, and a file passes where Quillet reaches
98 %, or reaches what LibreOffice's own print reaches.

LibreOffice's text, picture count and version are cached in CORPUS/.reference/, keyed by the
file's SHA-256; Quillet's jobs and the words each file lost go to BUILD/rtf-fidelity/CORPUS/."""

import collections
import hashlib
import json
import os
import pathlib
import re
import shutil
import subprocess
import sys
import tempfile
import unicodedata

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parents[1]))

from benchlib import REPO, session  # noqa: E402

BANDS = [("98-100 %", 98, 101), ("95-98 %", 95, 98), ("90-95 %", 90, 95), ("< 90 %", -1, 90)]
# Scripts written without spaces between words.
UNSPACED = re.compile("([\u2e80-\u9fff\uac00-\ud7af\uf900-\ufaff\uff66-\uff9f"
                      "\U00020000-\U0003ffff])")


def words(text):
    """The words of text as a multiset, normalised as described above."""
    text = unicodedata.normalize("NFKC", text).casefold()
    # Format characters (bidi marks, zero-width space, BOM) are invisible on paper, and
    # pdftotext adds bidi marks of its own around right-to-left runs.
    text = "".join(c for c in text if unicodedata.category(c) != "Cf")
    text = UNSPACED.sub(r" \1 ", text)
    return collections.Counter(text.split())


def has_foreign_letter(word):
    return any(ord(c) > 127 and unicodedata.category(c).startswith("L") for c in word)


def pdf_pictures(pdf):
    out = subprocess.run(["pdfimages", "-list", str(pdf)], capture_output=True,
                         text=True).stdout.splitlines()[2:]
    return len({tuple(fields[10:12]) for fields in map(str.split, out)
                if fields[2:3] == ["image"]})


def pdf_words(pdf):
    text = subprocess.run(["pdftotext", "-enc", "UTF-8", str(pdf), "-"], capture_output=True,
                          text=True, errors="replace").stdout
    return words(text)


class References:
    """LibreOffice's words and picture count for each file, converted once per content."""

    def __init__(self, corpus):
        self.folder = corpus / ".reference"
        self.folder.mkdir(exist_ok=True)
        self.version = subprocess.run(["soffice", "--version"], capture_output=True,
                                      text=True).stdout.strip()

    def _entry(self, rtf):
        return self.folder / (rtf.name + ".json")

    def _fresh(self, rtf):
        entry = self._entry(rtf)
        if not entry.exists():
            return False
        cached = json.loads(entry.read_text())
        return (cached["sha256"] == sha256(rtf) and cached["libreoffice"] == self.version
                and "pdf_words" in cached)

    def prepare(self, files):
        """Converts every file whose cached reference is missing or stale, in one LibreOffice
        run per output kind."""
        stale = [rtf for rtf in files if not self._fresh(rtf)]
        if not stale:
            return
        print(f"LibreOffice converts {len(stale)} files", file=sys.stderr)
        with tempfile.TemporaryDirectory(prefix="rtf-fidelity-lo-") as tmp:
            out = pathlib.Path(tmp)
            for target, suffix in [("txt:Text (encoded):UTF8", ".txt"), ("pdf", ".pdf")]:
                # A file that stops LibreOffice stops the files after it in the same run: runs
                # of 20, and what they missed one by one.
                for start in range(0, len(stale), 20):
                    convert(stale[start:start + 20], target, out, timeout=1200)
                for rtf in stale:
                    if not (out / (rtf.stem + suffix)).exists():
                        convert([rtf], target, out, timeout=300)
            for rtf in stale:
                text, pdf = out / (rtf.stem + ".txt"), out / (rtf.stem + ".pdf")
                entry = {"sha256": sha256(rtf), "libreoffice": self.version,
                         "opened": text.exists() and pdf.exists(),
                         "text": text.read_text(errors="replace") if text.exists() else "",
                         "picture_objects": pdf_pictures(pdf) if pdf.exists() else 0,
                         "pdf_words": pdf_words(pdf) if pdf.exists() else {}}
                self._entry(rtf).write_text(json.dumps(entry, ensure_ascii=False))

    def get(self, rtf):
        return json.loads(self._entry(rtf).read_text())


def convert(files, target, out, timeout):
    process = subprocess.Popen(["soffice", f"-env:UserInstallation=file://{out}/profile",
                                "--headless", "--convert-to", target, "--outdir", str(out),
                                *map(str, files)], stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL, start_new_session=True)
    try:
        process.wait(timeout=timeout)
    except subprocess.TimeoutExpired:
        # soffice's launcher and office process together; what they wrote stays.
        os.killpg(process.pid, 9)
        process.wait()


def sha256(path):
    return hashlib.sha256(path.read_bytes()).hexdigest()


def writers(corpus):
    """file name -> writer, from MANIFEST.tsv in the corpus folder or its parent."""
    for manifest in [corpus / "MANIFEST.tsv", corpus.parent / "MANIFEST.tsv"]:
        if manifest.exists():
            rows = [line.split("\t") for line in manifest.read_text().splitlines()[1:]]
            return {row[0]: row[2] for row in rows if len(row) > 2}
    return {}


def print_with_quillet(bench, rtf, jobs):
    """Quillet's job for rtf copied to jobs/, or the reason there is none."""
    staged = bench.work / "inputs" / rtf.name
    staged.parent.mkdir(exist_ok=True)
    shutil.copyfile(rtf, staged)
    try:
        run = bench.quillet([rtf.name], [staged], timeout=600)
    except Exception as error:  # no Print dialog, or the run outlived its time
        return None, type(error).__name__
    finally:
        staged.unlink()
    found = bench.server.jobs()
    if not found:
        return None, f"no job (exit {run.returncode})"
    job = jobs / (rtf.stem + ".pdf")
    shutil.copyfile(found[0], job)
    return job, ""


def measure(bench, refs, rtf, jobs):
    ref = refs.get(rtf)
    reference = words(ref["text"])
    job, note = print_with_quillet(bench, rtf, jobs)
    printed = pdf_words(job) if job else collections.Counter()
    matched = sum((reference & printed).values())
    own = sum((reference & collections.Counter(ref["pdf_words"])).values())
    extra = printed - reference
    wrong = {w: n for w, n in extra.items() if w not in reference and has_foreign_letter(w)}
    lost = reference - printed
    (jobs / (rtf.stem + ".lost.txt")).write_text(
        "".join(f"{n}\t{w}\n" for w, n in lost.most_common()) +
        "".join(f"wrong\t{n}\t{w}\n" for w, n in sorted(wrong.items())))
    total = sum(reference.values())
    return {"name": rtf.name, "words": total, "matched": matched,
            "score": 100.0 * matched / total if total else 100.0,
            "lo_print": 100.0 * own / total if total else 100.0,
            "lo_pictures": ref["picture_objects"], "pictures": pdf_pictures(job) if job else 0,
            "wrong": sum(wrong.values()), "note": note or ", ".join(
                w for w, _ in lost.most_common(4)), "opened": ref["opened"]}


def report(corpus, results, names):
    print(f"RTF fidelity of {corpus}: {len(results)} files; LibreOffice's words printed by "
          "Quillet, pictures (LibreOffice / Quillet), wrong-letter words")
    print(f"{'file':44} {'writer':26} {'words':>6} {'score':>7} {'LO pdf':>7} {'pict':>7} "
          f"{'wrong':>5}  most lost / note")
    for r in sorted(results, key=lambda r: r["score"]):
        pictures = f"{r['lo_pictures']}/{r['pictures']}"
        print(f"{r['name'][:44]:44} {names.get(r['name'], '?')[:26]:26} {r['words']:6d} "
              f"{r['score']:6.1f}% {r['lo_print']:6.1f}% {pictures:>7} {r['wrong']:5d}  "
              f"{r['note'][:60]}")
    print("\ndistribution of scores")
    for label, low, high in BANDS:
        count = sum(1 for r in results if low <= r["score"] < high)
        print(f"  {label:10} {count:4d} files")
    passed = sum(1 for r in results if r["score"] >= min(98, r["lo_print"]))
    print(f"  at 98 % or at LibreOffice's own print's score: {passed} of {len(results)} files")
    words_total = sum(r["words"] for r in results)
    matched = sum(r["matched"] for r in results)
    print(f"overall share: {100.0 * matched / max(words_total, 1):.1f} % of {words_total} "
          f"words; mean of files {sum(r['score'] for r in results) / max(len(results), 1):.1f} %")
    short = [r for r in results if r["pictures"] < r["lo_pictures"]]
    print(f"pictures: LibreOffice {sum(r['lo_pictures'] for r in results)}, Quillet "
          f"{sum(r['pictures'] for r in results)}; {len(short)} files print fewer")
    wrong = [r for r in results if r["wrong"]]
    print(f"wrong letters: {sum(r['wrong'] for r in results)} words in {len(wrong)} files")
    unopened = [r["name"] for r in results if not r["opened"]]
    if unopened:
        print(f"LibreOffice could not open: {', '.join(unopened)}")


def main():
    if len(sys.argv) < 2:
        sys.exit("usage: fidelity.py CORPUS_FOLDER [BUILD_FOLDER]")
    corpus = pathlib.Path(sys.argv[1]).resolve()
    build = (REPO / (sys.argv[2] if len(sys.argv) > 2 else "build")).resolve()
    if os.geteuid() != 0:
        sys.exit("The private print server needs root: run bench/rtf-fidelity/run with sudo.")
    files = sorted(p for p in corpus.iterdir() if p.suffix == ".rtf" and p.is_file())
    refs = References(corpus)
    refs.prepare(files)
    jobs = build / "rtf-fidelity" / corpus.name
    if jobs.exists():
        shutil.rmtree(jobs)
    jobs.mkdir(parents=True)
    results = []
    with session(build, "quillet-rtf-fidelity-") as bench:
        for number, rtf in enumerate(files, 1):
            results.append(measure(bench, refs, rtf, jobs))
            print(f"{number}/{len(files)} {rtf.name}: {results[-1]['score']:.1f} %",
                  file=sys.stderr)
    (jobs / "results.json").write_text(json.dumps(results, indent=1, ensure_ascii=False))
    report(corpus, results, writers(corpus))
    print(f"\nQuillet's jobs and each file's lost words: {jobs}")


if __name__ == "__main__":
    main()
