#!/usr/bin/env python3
"""Writes the RTF documents of tests/data/rtf/corpus-*.rtf.

Each one imitates what some kind of writer emits: code pages with escaped and literal bytes,
Unicode escapes with their fallbacks, destinations a reader may not know, pictures, fields,
tables, lists, notes, breaks and damaged files. Run from the repository root.
"""
import pathlib
import struct
import zlib

OUT = pathlib.Path("tests/data/rtf")


def hexbytes(data: bytes) -> bytes:
    return b"".join(b"\\'%02x" % b for b in data)


def png(width: int, height: int) -> bytes:
    def chunk(kind: bytes, body: bytes) -> bytes:
        return (struct.pack(">I", len(body)) + kind + body +
                struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))
    rows = b"".join(b"\x00" + b"\xff\x00\x00" * width for _ in range(height))
    return (b"\x89PNG\r\n\x1a\n" +
            chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(rows)) + chunk(b"IEND", b""))


def write(name: str, data: bytes) -> None:
    (OUT / name).write_bytes(data)


def code_pages() -> None:
    polish = "Zażółć gęślą".encode("cp1250")
    greek = "Ελλάδα".encode("cp1253")
    russian = "Москва".encode("cp1251")
    japanese = "日本語テスト".encode("cp932")
    chinese = "中文字".encode("gbk")
    # Lead bytes escaped, trail bytes written as they are when they are printable ASCII, as
    # writers of double-byte text do; a trail byte that is a brace or backslash stays escaped.
    mixed = b""
    for ch in "テスト表示":
        enc = ch.encode("cp932")
        mixed += b"\\'%02x" % enc[0]
        trail = enc[1]
        if 0x20 < trail < 0x7F and trail not in b"\\{}":
            mixed += bytes([trail])
        else:
            mixed += b"\\'%02x" % trail
    doc = (b"{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1033"
           b"{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}{\\f1\\froman\\fcharset238 Times New Roman CE;}"
           b"{\\f2\\fcharset161 Arial Greek;}{\\f3\\fcharset204 Arial Cyr;}"
           b"{\\f4\\fnil\\fcharset128 MS Mincho;}{\\f5\\fnil\\fcharset134 SimSun;}"
           b"{\\f6\\fnil\\fcharset1 Default;}{\\f7\\fnil\\fcharset0\\cpg1251 Cpg Font;}}\r\n"
           b"\\pard\\f0\\fs20 Western \\'e9t\\'e9 \\'80\\par\r\n"
           b"\\f1 " + hexbytes(polish) + b"\\par\r\n"
           b"\\f2 " + hexbytes(greek) + b"\\par\r\n"
           b"{\\f3 " + hexbytes(russian) + b"}\\par\r\n"
           b"\\f4 " + hexbytes(japanese) + b"\\par\r\n"
           b"\\f4 " + mixed + b"\\par\r\n"
           b"\\f5 " + hexbytes(chinese) + b"\\par\r\n"
           b"\\f6 \\'e9\\f7 \\'c4\\'e0\\par\r\n"
           b"\\f4 \\'93\\f0 x\\par\r\n"
           # Trail bytes that are a backslash or a brace, escaped as symbols.
           b"\\f4 \\'95\\\\\\'83\\\\\\'83\\{\\'83\\} ok\\par\r\n"
           b"}")
    write("corpus-code-pages.rtf", doc)
    # A whole document in an eastern code page, fonts without a charset.
    ru = "Привет".encode("cp1251")
    write("corpus-ansicpg-1251.rtf",
          b"{\\rtf1\\ansi\\ansicpg1251\\deff0{\\fonttbl{\\f0 Times;}}\\pard " + hexbytes(ru) +
          b" \\'b9 5\\par}")
    sjis = "表示".encode("cp932")
    write("corpus-ansicpg-932.rtf",
          b"{\\rtf1\\ansi\\ansicpg932\\deff0{\\fonttbl{\\f0\\fnil Gothic;}}\\pard " +
          hexbytes(sjis) + b" \\'b1\\'b2 ok\\par}")


def unicode_escapes() -> None:
    doc = (b"{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0 Arial;}}\r\n"
           b"\\pard uc1: \\u8364?\\u945 a\\par\r\n"
           b"uc0: {\\uc0\\u1071\\u1103}x\\par\r\n"
           b"uc2: {\\uc2\\u26085\\'93\\'fa\\u26412\\'96\\'7b}y\\par\r\n"
           b"negative: \\u-3913?\\u-10179?\\u-8704?\\par\r\n"
           b"control word fallback: \\u8212\\emdash z\\par\r\n"
           b"group ends fallback: {\\uc3\\u937 A}B\\par\r\n"
           b"restore: {\\uc0 \\u916}\\u916?D\\par\r\n"
           b"}")
    write("corpus-unicode.rtf", doc)


def destinations() -> None:
    doc = (b"{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Arial{\\*\\panose 020b0604020202020204}"
           b"{\\*\\falt Helvetica};}}\r\n"
           b"{\\colortbl;\\red255\\green0\\blue0;}\r\n"
           b"{\\*\\defchp \\fs22}{\\*\\defpap \\sa200}\r\n"
           b"{\\stylesheet{\\ql \\f0\\fs22 Normal;}{\\s1\\b\\fs32 heading 1;}"
           b"{\\*\\cs10 \\additive Default Paragraph Font;}}\r\n"
           b"{\\*\\listpicture{\\pict\\pngblip 89504e47}}\r\n"
           b"{\\*\\rsidtbl \\rsid123\\rsid456}{\\*\\generator Some Writer 1.0;}\r\n"
           b"{\\info{\\title The Title}{\\author Someone}{\\*\\company Firm}"
           b"{\\creatim\\yr2020\\mo1\\dy2}{\\doccomm comment text}}\r\n"
           b"{\\*\\xmlnstbl {\\xmlns1 http://example.com/ns}}\r\n"
           b"{\\*\\themedata 504b030414000600}{\\*\\colorschememapping 3c3f786d6c}\r\n"
           b"{\\*\\latentstyles\\lsdstimax376{\\lsdlockedexcept \\lsdqformat1 Normal;}}\r\n"
           b"{\\*\\datastore 0105000002000000}\r\n"
           b"\\pard\\plain\\s1\\b\\fs32 Heading{\\*\\bkmkstart _Toc1}{\\*\\bkmkend _Toc1}\\par\r\n"
           b"\\pard\\plain Body {\\*\\unknowndest hidden {\\b nested} text}visible"
           b"{\\*\\atnid A}{\\*\\mmathPr\\mdispDef1}\\par\r\n"
           b"\\pard {\\*\\htmltag84 <p>}Html{\\*\\htmltag92 </p>}\\par\r\n"
           b"\\pard {\\*\\foo{\\bar not shown}}shown\\par\r\n"
           b"\\pard pair:{\\upr{\\b t\\'e9}{\\*\\ud{\\b t\\u233\\'e9\\u8364\\'80}}}end\\par\r\n"
           b"}")
    write("corpus-destinations.rtf", doc)


def pictures() -> None:
    image = png(3, 2)
    hex_image = image.hex().encode()
    lines = b"\r\n".join(hex_image[i:i + 64] for i in range(0, len(hex_image), 64))
    doc = (b"{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\r\n"
           b"\\pard shape:{\\*\\shppict{\\pict{\\*\\picprop{\\sp{\\sn wzName}{\\sv Pic}}}"
           b"\\picscalex50\\picscaley100\\piccropl0\\picw79\\pich53\\picwgoal450\\pichgoal300"
           b"\\pngblip\\bliptag-12345{\\*\\blipuid 0123456789abcdef}\r\n" + lines + b"}}"
           b"{\\nonshppict{\\pict\\picw79\\pich53\\picwgoal450\\pichgoal300\\wmetafile8 "
           b"0100090000}}end\\par\r\n"
           b"\\pard binary:{\\pict\\pngblip\\picwgoal300\\pichgoal200\\bin" +
           str(len(image)).encode() + b" " + image + b"}after\\par\r\n"
           b"\\pard braces:{\\pict\\jpegblip\\picwgoal100\\pichgoal100\\bin6 {}\\\\{}}ok\\par\r\n"
           b"\\pard {\\pict\\dibitmap0\\picw1\\pich1\\picwgoal15\\pichgoal15 "
           b"28000000010000000100000001001800000000000400000000000000000000000000000000000000"
           b"0000ff00}\\par\r\n"
           b"}")
    write("corpus-pictures.rtf", doc)


def fields() -> None:
    doc = (b"{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}{\\colortbl;\\red0\\green0\\blue255;}\r\n"
           b"\\pard Visit {\\field{\\*\\fldinst{HYPERLINK \"http://example.com/\" }}"
           b"{\\fldrslt{\\ul\\cf1 example}}} today\\par\r\n"
           b"\\pard {\\field\\fldedit{\\*\\fldinst { HYPERLINK \\\\l \"anchor\" }}"
           b"{\\fldrslt {\\cs15\\ul\\cf1 inner}{ link}}}\\par\r\n"
           b"\\pard date {\\field{\\*\\fldinst DATE}{\\fldrslt}} none\\par\r\n"
           b"\\pard {\\field{\\*\\fldinst {PAGE}}{\\fldrslt 3}} of "
           b"{\\field{\\*\\fldinst NUMPAGES}{\\fldrslt{\\lang1024 9}}}\\par\r\n"
           b"\\pard outer {\\field{\\*\\fldinst IF {\\field{\\*\\fldinst PAGE}{\\fldrslt 1}} = 1 "
           b"\"one\"}{\\fldrslt one}} done\\par\r\n"
           b"}")
    write("corpus-fields.rtf", doc)


def tables() -> None:
    row = (b"\\trowd\\trgaph108\\trleft-108\\clbrdrt\\brdrs\\brdrw10\\cellx3000"
           b"\\clbrdrt\\brdrs\\cellx6000")
    doc = (b"{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\r\n"
           b"\\pard Before\\par\r\n" + row +
           b"\\pard\\intbl A1\\cell B1\\cell\\row\r\n" + row +
           b"\\pard\\intbl\\qc A2\\cell\\pard\\intbl\\qr B2\\cell" + row + b"\\row\r\n"
           b"\\pard\\itap1 Outer\\cell"
           b"\\pard\\itap2 n1\\nestcell n2\\nestcell{\\*\\nesttableprops" + row +
           b"\\nestrow}{\\nonesttables\\par}\r\n"
           b"\\pard\\itap1 tail\\cell" + row + b"\\row\r\n"
           b"\\pard\\plain After\\par\r\n"
           b"}")
    write("corpus-tables.rtf", doc)


def lists() -> None:
    doc = (b"{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}{\\f1\\fcharset2 Symbol;}}\r\n"
           b"{\\*\\listtable{\\list\\listtemplateid1\\listhybrid"
           b"{\\listlevel\\levelnfc23\\levelstartat1{\\leveltext\\'01\\u-3913 ?;}{\\levelnumbers;}"
           b"\\f1\\fi-360\\li720}"
           b"{\\listlevel\\levelnfc0\\levelstartat4{\\leveltext\\'02\\'01.;}{\\levelnumbers\\'01;}"
           b"\\fi-360\\li1440}\\listid100{\\listname ;}}}\r\n"
           b"{\\*\\listoverridetable{\\listoverride\\listid100\\listoverridecount0\\ls1}}\r\n"
           b"\\pard\\ls1\\ilvl0\\fi-360\\li720{\\listtext\\f1 \\'b7\\tab}Dot\\par\r\n"
           b"\\pard\\ls1\\ilvl1\\fi-360\\li1440{\\listtext 4.\\tab}Four\\par\r\n"
           b"\\pard{\\pntext\\f1 \\'b7\\tab}{\\*\\pn\\pnlvlblt\\pnf1\\pnindent0{\\pntxtb\\'b7}}"
           b"\\fi-360\\li720 Old bullet\\par\r\n"
           b"\\pard\\ls9{\\listtext 7.\\tab}Missing list\\par\r\n"
           b"\\pard Plain\\par\r\n"
           b"}")
    write("corpus-lists.rtf", doc)


def notes() -> None:
    doc = (b"{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\r\n"
           b"{\\header \\pard\\qc Header text\\par}{\\footer \\pard Footer {\\field{\\*\\fldinst PAGE}"
           b"{\\fldrslt 1}}\\par}{\\headerf First header\\par}{\\footerl Left footer\\par}\r\n"
           b"\\sectd\\titlepg\\pard Body one{\\super\\chftn}{\\footnote\\pard\\plain{\\super\\chftn}"
           b" The note\\par}{\\*\\annotation{\\*\\atnauthor X} A comment}"
           b" continues\\par\r\n"
           b"\\pard Endnote{\\footnote\\ftnalt\\pard endnote text\\par} here\\par\r\n"
           b"}")
    write("corpus-notes.rtf", doc)


def breaks() -> None:
    doc = (b"{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\r\n"
           b"\\pard a\\line b\\tab c\\par\r\n"
           b"\\pard before page\\page after page\\par\r\n"
           b"\\sectd first section\\sect\\sectd second section\\par\r\n"
           b"\\pard sp\\~ace\\-hy\\_phen\\emdash\\endash\\bullet\\lquote\\rquote"
           b"\\ldblquote\\rdblquote\\par\r\n"
           b"\\pard Wor\r\nd sp\nlit\rhere\\\r\n"
           b"next\\\nline\\par\r\n"
           b"\\pard \\{braces\\} \\\\back\\par\r\n"
           b"\\pard a\\zwj b\\zwnj c\\zwbo d\\ltrmark e\\rtlmark f\\par\r\n"
           b"}")
    write("corpus-breaks.rtf", doc)


def hidden() -> None:
    # Hidden text as word processors, help authoring tools and table writers leave it: inline,
    # whole paragraphs, jump targets, switched off by \v0, \plain and group ends, in cells,
    # with Unicode, beside field instructions; and \webhidden, which still shows.
    doc = (b"{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\r\n"
           b"\\pard Shown {\\v secret }text\\par\r\n"
           b"{\\v\\pard A whole hidden paragraph\\par}\r\n"
           b"\\pard See {\\uldb Topic}{\\v topic_id} and {\\strike Popup}{\\v>note}.\\par\r\n"
           b"\\pard a\\v b\\v0 c\\v d\\plain e{\\v\\b f}g\\par\r\n"
           b"\\trowd\\cellx2000\\cellx4000\\pard\\intbl A1{\\v x}\\cell {\\v\\u8364?}B1\\cell\\row\r\n"
           b"\\pard {\\field{\\fldinst {\\v0 PAGE}}{\\fldrslt 3}}{\\v{\\*\\bkmkstart m}} pages\\par\r\n"
           b"\\pard {\\webhidden web} end\\par\r\n"
           b"\\pard last\\par\r\n"
           b"}")
    write("corpus-hidden.rtf", doc)


def damaged() -> None:
    write("corpus-no-rtf1.rtf",
          b"{\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\\pard\\b Bold\\b0  plain\\par}")
    write("corpus-unbalanced.rtf",
          b"{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\pard one {\\b two {\\i three\\par\r\n"
          b"four}}}} five\\par")
    write("corpus-huge-numbers.rtf",
          b"{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\pard\\fs99999999999999 big"
          b"\\fs-20 neg\\fs0 zero\\fs24 \\li-2147483649 \\fi99999999999 "
          b"\\u99999999999?\\u-99999999999?\\uc99999999 x\\uc1 "
          b"\\cf4294967297 col\\f2147483648 font\\ls-1\\ilvl999 end\\par}")


def main() -> None:
    OUT.mkdir(parents=True, exist_ok=True)
    code_pages()
    unicode_escapes()
    destinations()
    pictures()
    fields()
    tables()
    lists()
    notes()
    breaks()
    hidden()
    damaged()


if __name__ == "__main__":
    main()
