"""Documents from start to job handed to the print server: Quillet beside enscript, paps,
cups-filters texttopdf and LibreOffice on plain text of 60,000 and 120,000 lines (about 1,000 and
2,000 pages), Quillet beside the same peers but LibreOffice on plain text of 400,000 lines (about
6,000 pages: past the 2^25 device pixels of Qt's own layout coordinates at 1200 dpi), and Quillet
beside LibreOffice on an RTF document of about 100 pages. Every tool submits to the same private
print server; wall time runs from the start to the job's arrival at the print server (for every
tool alike), peak memory is /usr/bin/time's; both are the median of the rounds, all pinned
to core 0. CPU time (user + system, children included) is shown beside the wall time, as the
steadier figure on a busy machine.

Quillet's Print dialog is answered the moment it is seen; the time from its appearance to the
answer is a person's, not the program's, and is left out of Quillet's wall time."""

import os
import pathlib
import random
import sys

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parents[1]))

from benchlib import (alternating_rounds, build_folder, heading, medians_of,  # noqa: E402
                      pages_of, rounds, session)

ROUNDS = rounds(3)
TEXTTOPDF = "/usr/lib/cups/filter/texttopdf"

WORDS = ("the of and to in is was that for on are with as his they be at one have this from "
         "or had by word but what some we can out other were all there when up use your how "
         "said an each she which do their time if will way about many then them write would "
         "like so these her long make thing see him two has look more day could go come did "
         "number sound most people over know water than call first who may down side been now "
         "find head stand own page should country found answer school grow study still learn "
         "plant cover food sun four between state keep eye never last let thought city tree "
         "cross farm hard start might story saw far sea draw left late run while press close "
         "night real life few north open seem together next white children begin got walk "
         "example ease paper group always music those both mark often letter until mile river "
         "car feet care second book carry took science eat room friend began idea fish "
         "mountain stop once base hear horse cut sure watch colour face wood main enough plain "
         "girl usual young ready above ever red list though feel talk bird soon body dog "
         "family direct pose leave song measure door product black short numeral class wind "
         "question happen complete ship area half rock order fire south problem piece told "
         "knew pass since top whole king space heard best hour better true during hundred "
         "five remember step early hold west ground interest reach fast verb sing listen six "
         "table travel less morning ten simple several vowel toward war lay against pattern "
         "slow centre love person money serve appear road map rain rule govern pull cold "
         "notice voice unit power town fine certain fly fall lead cry dark machine note wait "
         "plan figure star box noun field rest correct able pound done beauty drive stood "
         "contain front teach week final gave green quick develop ocean warm free minute "
         "strong special mind behind clear tail produce fact street inch multiply nothing "
         "course stay wheel full force blue object decide surface deep moon island foot system "
         "busy test record boat common gold possible plane stead dry wonder laugh thousand ago "
         "ran check game shape equate miss brought heat snow tire bring yes distant fill east "
         "paint language among café naïve façade résumé").split()


def plain_text(lines, seed):
    """lines of prose, 45 to 75 characters each, the same for every run."""
    rng = random.Random(seed)
    out = []
    for _ in range(lines):
        target = rng.randint(45, 75)
        line = rng.choice(WORDS).capitalize()
        while len(line) < target:
            line += " " + rng.choice(WORDS)
        out.append(line + rng.choice(".,;:") if rng.random() < 0.3 else line)
    return "\n".join(out) + "\n"


def rtf_escape(text):
    out = []
    for ch in text:
        if ch in "\\{}":
            out.append("\\" + ch)
        elif ord(ch) < 128:
            out.append(ch)
        elif ord(ch) < 256:
            out.append(f"\\'{ord(ch):02x}")
        else:
            out.append(f"\\u{ord(ch)}?")
    return "".join(out)


def rtf_document(words, seed):
    """An RTF document of about words words as a word processor writes one: headings, styled
    runs, colours, a table now and then."""
    rng = random.Random(seed)
    parts = [r"{\rtf1\ansi\ansicpg1252\deff0"
             r"{\fonttbl{\f0\froman\fcharset0 Times New Roman;}{\f1\fswiss\fcharset0 Arial;}"
             r"{\f2\fmodern\fcharset0 Courier New;}}"
             r"{\colortbl;\red0\green0\blue0;\red192\green0\blue0;\red0\green64\blue160;}"
             r"\paperw11906\paperh16838\margl1440\margr1440\margt1440\margb1440" "\n"]
    written = 0
    section = 0
    while written < words:
        section += 1
        parts.append(r"{\pard\keepn\sb240\sa120\f1\fs32\b " + f"Section {section}" +
                     r"\par}" "\n")
        for paragraph in range(rng.randint(4, 9)):
            count = rng.randint(60, 160)
            runs = []
            for _ in range(count):
                word = rtf_escape(rng.choice(WORDS))
                roll = rng.random()
                if roll < 0.03:
                    word = r"{\b " + word + "}"
                elif roll < 0.06:
                    word = r"{\i " + word + "}"
                elif roll < 0.07:
                    word = r"{\cf2 " + word + "}"
                runs.append(word)
            written += count
            parts.append(r"{\pard\ql\fi360\sa120\f0\fs24 " + " ".join(runs) + r".\par}" "\n")
            if paragraph == 2 and section % 3 == 0:
                for row in range(4):
                    parts.append(r"\trowd\trgaph108\cellx3000\cellx6000\cellx9000"
                                 r"\pard\intbl\f0\fs22 ")
                    for column in range(3):
                        parts.append(f"row {row} column {column} {rng.choice(WORDS)}\\cell ")
                    parts.append(r"\row" "\n")
                parts.append(r"\pard" "\n")
    parts.append("}\n")
    return "".join(parts).encode("latin-1")


def wanted(doc, tool):
    """LibreOffice takes minutes on 6,000 pages of plain text; the text peers read no RTF."""
    if doc == "rtf":
        return tool in ("quillet", "libreoffice")
    return doc != "text 400,000 lines" or tool != "libreoffice"


class Bench:
    def __init__(self, session):
        self.session = session
        self.env = {**os.environ, **session.server.env(),
                    "HOME": str(session.work / "peer-home")}

    def quillet(self, document):
        run = self.session.quillet([document.name], [document],
                                   watch=self.session.job_arrival())
        # The person answering the dialog is left out of the wall time.
        return {"wall": run.handed_over - run.answering,
                "to_dialog": run.seconds("started", "shown"),
                "cpu": run.cpu, "peak_kib": run.peak_kib, "pages": pages_of(self.session.job())}

    def run(self, tool, document):
        return self.quillet(document) if tool == "quillet" else self.peer(tool, document)

    def peer(self, tool, document):
        run = self.session.shell(PEERS[tool], document, self.env,
                                 watch=self.session.job_arrival())
        return {"wall": run.handed_over, "cpu": run.cpu, "peak_kib": run.peak_kib,
                "pages": pages_of(self.session.job())}


PEERS = {
    "enscript": "enscript -q -B -f Courier10 --margins=36:36:36:36 -p - \"$DOC\" | lp -s",
    "texttopdf": f"{TEXTTOPDF} 1 bench bench 1 '' \"$DOC\" | lp -s",
    "paps": "paps --font='DejaVu Sans Mono 10' --left-margin=36 --right-margin=36 "
            "--top-margin=36 --bottom-margin=36 \"$DOC\" | lp -s",
    "libreoffice": "soffice -env:UserInstallation=file://$HOME/lo --headless --convert-to pdf "
                   "--outdir \"$OUT\" \"$DOC\" >/dev/null && lp -s \"$OUT\"/*.pdf",
}


def main():
    build = build_folder()
    with session(build, "quillet-bench-docs-") as bench_session:
        work = bench_session.work
        (work / "peer-home").mkdir()
        inputs = {
            "text 60,000 lines": work / "text1000.txt",
            "text 120,000 lines": work / "text2000.txt",
            "text 400,000 lines": work / "text6000.txt",
            "rtf": work / "report.rtf",
        }
        inputs["text 60,000 lines"].write_text(plain_text(60000, 1))
        inputs["text 120,000 lines"].write_text(plain_text(120000, 2))
        inputs["text 400,000 lines"].write_text(plain_text(400000, 4))
        inputs["rtf"].write_bytes(rtf_document(60000, 3))

        bench = Bench(bench_session)
        # LibreOffice makes its profile on its first start: not part of any measurement.
        bench.peer("libreoffice", inputs["rtf"])
        plan = [(doc, tool) for doc in inputs for tool in ["quillet", *PEERS] if wanted(doc, tool)]
        results = alternating_rounds(plan, ROUNDS, lambda doc, tool: bench.run(tool, inputs[doc]))

    median = medians_of(results)

    print(heading("Documents", ROUNDS))
    print(f"{'document':20} {'tool':12} {'pages':>6} {'wall s':>8} {'cpu s':>7} {'peak MiB':>9} "
          f"{'peer/quillet wall':>18} {'cpu':>6}")
    for doc, tool in results:
        wall = median((doc, tool), "wall") / median((doc, "quillet"), "wall")
        cpu = median((doc, tool), "cpu") / median((doc, "quillet"), "cpu")
        print(f"{doc:20} {tool:12} {results[(doc, tool)][0]['pages']:6d} "
              f"{median((doc, tool), 'wall'):8.2f} {median((doc, tool), 'cpu'):7.2f} "
              f"{median((doc, tool), 'peak_kib') / 1024:9.1f} {wall:18.2f} {cpu:6.2f}")
    q1000 = ("text 60,000 lines", "quillet")
    q2000 = ("text 120,000 lines", "quillet")
    q6000 = ("text 400,000 lines", "quillet")
    pages = {key: results[key][0]["pages"] for key in (q1000, q2000, q6000)}
    # Time per page from 2,000 to 6,000 pages: at most 3.3 times the time for 3 times the pages.
    per_page = ((median(q6000, "wall") / pages[q6000]) / (median(q2000, "wall") / pages[q2000]))
    print(f"\nquillet until the Print dialog is on screen: "
          f"{median(q1000, 'to_dialog'):.2f} s (included above)")
    checks = [
        ("2,000 pages / 1,000 pages (at most 2.2)",
         median(q2000, "wall") / median(q1000, "wall"), lambda r: r <= 2.2),
        ("paps / quillet, 1,000 pages (at least 1)",
         median(("text 60,000 lines", "paps"), "wall") / median(q1000, "wall"),
         lambda r: r >= 1),
        ("LibreOffice / quillet, 1,000 pages (at least 5)",
         median(("text 60,000 lines", "libreoffice"), "wall") / median(q1000, "wall"),
         lambda r: r >= 5),
        ("LibreOffice / quillet, RTF (at least 4)",
         median(("rtf", "libreoffice"), "wall") / median(("rtf", "quillet"), "wall"),
         lambda r: r >= 4),
        ("peak MiB, 2,000 pages (under 300)", median(q2000, "peak_kib") / 1024,
         lambda r: r < 300),
        ("6,000 / 2,000 pages, time per page (at most 1.1)", per_page, lambda r: r <= 1.1),
        ("peak MiB, 6,000 pages (under 400)", median(q6000, "peak_kib") / 1024,
         lambda r: r < 400),
    ]
    for name, value, met in checks:
        print(f"{name:50} {value:8.2f}  {'met' if met(value) else 'NOT MET'} (wall)")
    cpu_2000 = median(q2000, "cpu") / median(q1000, "cpu")
    print(f"{'2,000 / 1,000 pages in CPU time':50} {cpu_2000:8.2f}")
    print(f"{'6,000 / 2,000 pages: pages, wall, CPU time':50} "
          f"{pages[q6000] / pages[q2000]:8.2f} {median(q6000, 'wall') / median(q2000, 'wall'):8.2f} "
          f"{median(q6000, 'cpu') / median(q2000, 'cpu'):8.2f}")


if __name__ == "__main__":
    main()
