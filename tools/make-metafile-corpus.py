#!/usr/bin/env python3
"""Remakes the metafiles of tests/data/metafiles that other programs write, and every reference
render beside them.

The producers and the reference renderer are Debian packages (gnuplot-nox, pstoedit,
ghostscript, inkscape, libreoffice-draw, imagemagick, wine64, gcc-mingw-w64-x86-64-win32); only
this script needs them, the tests read the committed files. Each metafile is drawn from a source
written here: a gnuplot plot, a PostScript drawing, an SVG drawing, a program drawing through
Wine's GDI+ (tools/gdiplus-drawing.c), whose EMF+ files have no reference render: LibreOffice
smooths its nearest-neighbour bitmaps and leaves out its rotated fills and most of its text, so
the test checks the pixels its calls define. Each reference is LibreOffice's PNG of the metafile
(it centres the picture at 96 dpi on an A4 page), cut to the whole pixels around the picture's
frame. Run from the repository root; pass metafile names to render only those references
(the scene files our own tests write, for instance).
"""
import math
import os
import pathlib
import shutil
import struct
import subprocess
import sys
import tempfile

OUT = pathlib.Path("tests/data/metafiles")
A4 = (794, 1123)  # LibreOffice's page in pixels at 96 dpi
UNREFERENCED = {"wine-gdiplus.emf", "wine-gdiplus-units.emf"}  # checked by its pixels instead

GNUPLOT = """set terminal emf color solid size 480,360 font "Liberation Sans,12"
set output "{out}"
set title "Samples"
set style fill solid 0.6 border -1
set boxwidth 0.6
set key top left
plot [0:6][0:5] '-' with boxes lc rgb "#3060c0" title "bars", \\
     x*0.6+1 with lines lw 3 lc rgb "#c03020" title "trend", \\
     '-' with points pt 7 ps 1.5 lc rgb "#208040" title "points"
1 2
2 3.5
3 2.5
4 4
5 3
e
0.5 1
1.5 4
2.5 3
3.5 1.5
4.5 2
e
"""

POSTSCRIPT = b"""%!PS-Adobe-3.0 EPSF-3.0
%%BoundingBox: 0 0 300 200
/Helvetica findfont 18 scalefont setfont
1 0 0 setrgbcolor
newpath 80 120 50 0 360 arc closepath gsave fill grestore
0 0 0 setrgbcolor 4 setlinewidth stroke
0 0 1 setrgbcolor 6 setlinewidth 2 setlinecap 1 setlinejoin [12 6] 0 setdash
newpath 160 40 moveto 220 160 lineto 280 40 lineto stroke
[] 0 setdash 0 setlinecap 0 setlinejoin
0 0.6 0 setrgbcolor newpath 20 20 moveto 140 20 lineto 140 50 lineto 20 50 lineto closepath fill
0.3 0.3 0.3 setrgbcolor 150 175 moveto (Scrivet) show
0 0 0 setrgbcolor 1 setlinewidth [2 3] 0 setdash newpath 10 190 moveto 290 190 lineto stroke
showpage
"""

# Outlined and dashed shapes (extended pens of every cap and a dash array), a gradient and a
# small bitmap.
SVG = """<svg xmlns="http://www.w3.org/2000/svg" xmlns:xlink="http://www.w3.org/1999/xlink"
     width="300" height="200" viewBox="0 0 300 200">
  <defs>
    <linearGradient id="g" x1="0" y1="0" x2="1" y2="0">
      <stop offset="0" stop-color="#ff0000"/><stop offset="1" stop-color="#0000ff"/>
    </linearGradient>
  </defs>
  <circle cx="60" cy="60" r="45" fill="#e02020" stroke="#000000" stroke-width="6"/>
  <path d="M120 30 L170 100 L220 30" fill="none" stroke="#2040c0" stroke-width="8"
        stroke-dasharray="16 8" stroke-linecap="butt" stroke-linejoin="miter"/>
  <path d="M240 20 L290 20" fill="none" stroke="#208040" stroke-width="10"
        stroke-linecap="round"/>
  <path d="M240 50 L290 50" fill="none" stroke="#208040" stroke-width="10"
        stroke-linecap="square"/>
  <rect x="20" y="130" width="120" height="50" fill="url(#g)"/>
  <ellipse cx="220" cy="150" rx="60" ry="30" fill="#f0c000" stroke="#603000"
           stroke-width="2" stroke-dasharray="4 4"/>
  <image x="160" y="60" width="60" height="60" xlink:href="{image}"/>
</svg>
"""


def run(*command: str, cwd: pathlib.Path) -> None:
    subprocess.run(command, cwd=cwd, check=True, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL, timeout=300)


def pixel_size(data: bytes) -> tuple[float, float]:
    """The picture's size in pixels at 96 dpi, as the metafile's header gives it."""
    if data[:4] == b"\xd7\xcd\xc6\x9a":
        left, top, right, bottom, inch = struct.unpack_from("<hhhhH", data, 6)
        return abs(right - left) * 96 / inch, abs(bottom - top) * 96 / inch
    left, top, right, bottom = struct.unpack_from("<iiii", data, 24)
    return (right - left) * 96 / 2540, (bottom - top) * 96 / 2540


def reference(metafile: pathlib.Path, work: pathlib.Path) -> None:
    copy = work / ("ref" + metafile.suffix)
    shutil.copy(metafile, copy)
    run("soffice", "--headless", "--convert-to", "png", copy.name, cwd=work)
    width, height = pixel_size(metafile.read_bytes())
    left = math.floor((A4[0] - width) / 2)
    top = math.floor((A4[1] - height) / 2)
    right = math.ceil((A4[0] + width) / 2)
    bottom = math.ceil((A4[1] + height) / 2)
    target = metafile.with_suffix(".png")
    run("convert", str(work / "ref.png"), "-crop",
        f"{right - left}x{bottom - top}+{left}+{top}", "+repage", "-strip",
        str(target.resolve()), cwd=work)


def produce(work: pathlib.Path) -> list[pathlib.Path]:
    made = []
    (work / "plot.gp").write_text(GNUPLOT.format(out="gnuplot-plot.emf"))
    run("gnuplot", "plot.gp", cwd=work)
    made.append(work / "gnuplot-plot.emf")

    (work / "drawing.ps").write_bytes(POSTSCRIPT)
    run("pstoedit", "-f", "emf", "drawing.ps", "pstoedit-drawing.emf", cwd=work)
    made.append(work / "pstoedit-drawing.emf")

    run("convert", "-size", "4x4", "pattern:checkerboard", "-scale", "400%",
        "-fill", "#20a0e0", "-opaque", "white", "image.png", cwd=work)
    (work / "drawing.svg").write_text(SVG.format(image=(work / "image.png").as_uri()))
    for kind in ("emf", "wmf"):
        run("inkscape", "drawing.svg", f"--export-type={kind}",
            f"--export-filename=inkscape-drawing-{kind}.{kind}", cwd=work)
        made.append(work / f"inkscape-drawing-{kind}.{kind}")

    run("x86_64-w64-mingw32-gcc", "-O1", str(pathlib.Path("tools/gdiplus-drawing.c").resolve()),
        "-o", "drawing.exe", "-lgdiplus", "-lgdi32", cwd=work)
    wine = dict(os.environ, WINEPREFIX=str(work / "wine"), WINEDEBUG="-all")
    subprocess.run(["/usr/lib/wine/wine64", "drawing.exe"], cwd=work, env=wine, check=True,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=600)
    made += [work / "wine-gdiplus.emf", work / "wine-gdiplus-units.emf"]
    return made


def main() -> None:
    with tempfile.TemporaryDirectory() as name:
        work = pathlib.Path(name)
        if len(sys.argv) > 1:
            targets = [OUT / arg for arg in sys.argv[1:]]
        else:
            targets = []
            for made in produce(work):
                shutil.copy(made, OUT / made.name)
                if made.name not in UNREFERENCED:
                    targets.append(OUT / made.name)
        for target in targets:
            reference(target, work)
            print(target)


if __name__ == "__main__":
    main()
