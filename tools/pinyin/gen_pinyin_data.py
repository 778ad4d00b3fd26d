#!/usr/bin/env python3
"""Writes src/player/PinyinData.cpp, the fixed tables of the pinyin initials
conversion (IMCode), from a published character-to-pinyin mapping.

Source of the readings
    pinyin_dict.go of the Debian 12 package golang-github-mozillazg-go-pinyin-dev,
    version 0.19.0+ds.1-1+b6 (installed at /usr/share/gocode/src/github.com/
    mozillazg/go-pinyin/pinyin_dict.go). It is the go-pinyin library's copy of
    the pinyin-data character readings: a map from code point to the
    character's readings, the most common one first.
    Copyright (c) 2016 mozillazg, MIT licence (the notice is repeated in the
    generated file and in tools/pinyin/README.md).

What it makes
    - the syllable table: 405 syllables of 7 bytes (length byte, up to six
      lower-case letters, zeros); 1-393 in alphabetical order, 394 empty,
      395-405 ei m n dia cen nou jv qv xv lv nv;
    - the character index: one 16-bit syllable number (0 = no reading) for each
      GBK double-byte code, first byte 81-FE, second byte 40-FE, row by row;
    - the numbered-symbol table of row A2 and the Greek letters of row A6.

How a code gets its reading
    The GBK code is decoded with Python's "gbk" codec (which agrees with the
    glibc iconv GBK table the program converts with, code for code). Rows A1-A9
    (symbols) and FE get no reading. A character's reading is the first of its
    readings in the source, tone marks removed and u-umlaut written v, whose
    syllable the table holds (lve and nve are written lue and nue, as in the
    table); a compatibility ideograph that the source lacks takes the readings of
    its canonical equivalent. A character with none of its readings in the table
    has no reading. The few fixed rows of OVERRIDES win over the source.

Usage
    gen_pinyin_data.py [--dict PATH] [--output FILE]   (default: standard output)

The build does not run this script; its output is committed. The test
test_imcode runs it when the source is installed and compares the result with
the committed file.
"""

import argparse
import re
import sys
import unicodedata

DEFAULT_DICT = "/usr/share/gocode/src/github.com/mozillazg/go-pinyin/pinyin_dict.go"
SOURCE_PACKAGE = "golang-github-mozillazg-go-pinyin-dev"
SOURCE_VERSION = "0.19.0+ds.1-1+b6"

# Syllables 1-393, alphabetical from a to zuo.
BASE_SYLLABLES = """
a ai an ang ao
ba bai ban bang bao bei ben beng bi bian biao bie bin bing bo bu
ca cai can cang cao ce ceng cha chai chan chang chao che chen cheng chi chong chou
chu chuai chuan chuang chui chun chuo ci cong cou cu cuan cui cun cuo
da dai dan dang dao de deng di dian diao die ding diu dong dou du duan dui dun duo
e en er
fa fan fang fei fen feng fou fu
ga gai gan gang gao ge gei gen geng gong gou gu gua guai guan guang gui gun guo
ha hai han hang hao he hei hen heng hong hou hu hua huai huan huang hui hun huo
ji jia jian jiang jiao jie jin jing jiong jiu ju juan jue jun
ka kai kan kang kao ke ken keng kong kou ku kua kuai kuan kuang kui kun kuo
la lai lan lang lao le lei leng li lian liang liao lie lin ling liu long lou lu
luan lue lun luo
ma mai man mang mao me mei men meng mi mian miao mie min ming miu mo mou mu
na nai nan nang nao ne nei nen neng ni nian niang niao nie nin ning niu nong nu
nuan nue nuo
o ou
pa pai pan pang pao pei pen peng pi pian piao pie pin ping po pou pu
qi qia qian qiang qiao qie qin qing qiong qiu qu quan que qun
ran rang rao re ren reng ri rong rou ru ruan rui run ruo
sa sai san sang sao se sen seng sha shai shan shang shao she shen sheng shi shou
shu shua shuai shuan shuang shui shun shuo si song sou su suan sui sun suo
ta tai tan tang tao te teng ti tian tiao tie ting tong tou tu tuan tui tun tuo
wa wai wan wang wei wen weng wo wu
xi xia xian xiang xiao xie xin xing xiong xiu xu xuan xue xun
ya yan yang yao ye yi yin ying yo yong you yu yuan yue yun
za zai zan zang zao ze zei zen zeng zha zhai zhan zhang zhao zhe zhen zheng zhi
zhong zhou zhu zhua zhuai zhuan zhuang zhui zhun zhuo zi zong zou zu zuan zui zun zuo
""".split()

# Syllables 395-405; 394 stays empty.
EXTRA_SYLLABLES = "ei m n dia cen nou jv qv xv lv nv".split()

# Spellings of the source that the table writes otherwise.
SPELLINGS = {"lve": "lue", "nve": "nue"}

# Rows of the program's fixed table that differ from the source's first reading.
OVERRIDES = {
    "行": "hang",  # D0D0; the source gives xing first
}

# The telling rows: code -> syllable. The generator refuses to write a table
# that breaks one of them.
TELLING_ROWS = {
    0xB0A1: "a", 0xB0A2: "a", 0xB0B2: "an", 0xB9FA: "guo", 0xD6D0: "zhong",
    0xD6D8: "zhong", 0xB3A4: "zhang", 0xD0D0: "hang", 0xC0D6: "le",
}

LEAD_FIRST, LEAD_LAST = 0x81, 0xFE
TRAIL_FIRST, TRAIL_LAST = 0x40, 0xFE
ROW_LENGTH = TRAIL_LAST - TRAIL_FIRST + 1  # 191

GREEK = "a b g d e z e th i k l m n x o p r s t u ph kh ps o".split()

MIT_NOTICE = """\
Copyright (c) 2016 mozillazg

Permission is hereby granted, free of charge, to any person obtaining a copy
of this software and associated documentation files (the "Software"), to deal
in the Software without restriction, including without limitation the rights
to use, copy, modify, merge, publish, distribute, sublicense, and/or sell
copies of the Software, and to permit persons to whom the Software is
furnished to do so, subject to the following conditions:

The above copyright notice and this permission notice shall be included in all
copies or substantial portions of the Software.

THE SOFTWARE IS PROVIDED "AS IS", WITHOUT WARRANTY OF ANY KIND, EXPRESS OR
IMPLIED, INCLUDING BUT NOT LIMITED TO THE WARRANTIES OF MERCHANTABILITY,
FITNESS FOR A PARTICULAR PURPOSE AND NONINFRINGEMENT. IN NO EVENT SHALL THE
AUTHORS OR COPYRIGHT HOLDERS BE LIABLE FOR ANY CLAIM, DAMAGES OR OTHER
LIABILITY, WHETHER IN AN ACTION OF CONTRACT, TORT OR OTHERWISE, ARISING FROM,
OUT OF OR IN CONNECTION WITH THE SOFTWARE OR THE USE OR OTHER DEALINGS IN THE
SOFTWARE."""


def syllable_table():
    if len(BASE_SYLLABLES) != 393 or BASE_SYLLABLES != sorted(BASE_SYLLABLES):
        sys.exit(f"base syllables: {len(BASE_SYLLABLES)}, must be 393 in alphabetical order")
    table = BASE_SYLLABLES + [""] + EXTRA_SYLLABLES
    assert len(table) == 405 and len(set(table)) == 405
    assert all(len(s) <= 6 and re.fullmatch("[a-z]*", s) for s in table)
    return table


def plain_syllable(reading):
    """A reading of the source without tone marks, u-umlaut written v."""
    decomposed = unicodedata.normalize("NFD", reading.strip()).replace("u\u0308", "v")
    plain = "".join(ch for ch in decomposed if not unicodedata.combining(ch)).lower()
    return SPELLINGS.get(plain, plain)


def read_source(path):
    readings = {}
    pattern = re.compile(r'^\s*0x([0-9A-Fa-f]+):\s*"([^"]*)",\s*$')
    with open(path, encoding="utf-8") as source:
        for line in source:
            match = pattern.match(line)
            if match:
                readings[int(match.group(1), 16)] = match.group(2).split(",")
    if len(readings) < 20000:
        sys.exit(f"{path}: only {len(readings)} characters read, not a pinyin dictionary")
    return readings


def character_of(lead, trail):
    try:
        text = bytes([lead, trail]).decode("gbk")
    except UnicodeDecodeError:
        return None
    return text if len(text) == 1 else None


def build_index(readings, numbers):
    index = []
    for lead in range(LEAD_FIRST, LEAD_LAST + 1):
        for trail in range(TRAIL_FIRST, TRAIL_LAST + 1):
            char = character_of(lead, trail)
            value = 0
            if char is not None and not (0xA1 <= lead <= 0xA9 or lead == 0xFE):
                if char in OVERRIDES:
                    value = numbers[OVERRIDES[char]]
                else:
                    found = readings.get(ord(char))
                    if found is None:
                        found = readings.get(ord(unicodedata.normalize("NFC", char)), [])
                    for reading in found:
                        syllable = plain_syllable(reading)
                        if syllable in numbers:
                            value = numbers[syllable]
                            break
            index.append(value)
    return index


def position(code):
    return ((code >> 8) - LEAD_FIRST) * ROW_LENGTH + ((code & 0xFF) - TRAIL_FIRST)


def check(index, table):
    problems = []
    for code, syllable in TELLING_ROWS.items():
        if table[index[position(code)] - 1] != syllable:
            problems.append(f"{code:04X} reads {table[index[position(code)] - 1]!r}, not {syllable}")
    for lead in range(0xB0, 0xF8):
        for trail in range(0xA1, 0xFF):
            if lead == 0xD7 and trail >= 0xFA:
                continue
            if index[position(lead << 8 | trail)] == 0:
                problems.append(f"GB2312 code {lead:02X}{trail:02X} has no reading")
    if 394 in index:
        problems.append("a character refers to the empty syllable 394")
    if problems:
        sys.exit("\n".join(problems))


def numbered_symbols():
    entries = [""] * 94  # second bytes A1-FE

    def run(first, count):
        for n in range(count):
            entries[first - 0xA1 + n] = str(n + 1)

    run(0xA1, 10)
    run(0xB1, 20)
    run(0xC5, 20)
    run(0xD9, 10)
    run(0xE5, 10)
    run(0xF1, 12)
    return entries


def c_chars(text):
    return ", ".join(f"'{ch}'" for ch in text)


def wrap(items, indent="    ", width=100):
    lines, line = [], indent
    for item in items:
        piece = item + ","
        if len(line) + len(piece) > width:
            lines.append(line)
            line = indent
        line += piece
    if line != indent:
        lines.append(line)
    return lines


def render(table, index):
    out = []
    out.append("// Generated by tools/pinyin/gen_pinyin_data.py; do not edit.")
    out.append("//")
    out.append(f"// Readings from pinyin_dict.go of the Debian package {SOURCE_PACKAGE}")
    out.append(f"// {SOURCE_VERSION} (the pinyin-data character readings), under this notice:")
    out.append("//")
    out.extend(("// " + line).rstrip() for line in MIT_NOTICE.splitlines())
    out.append("//")
    out.append("// Changed from the source: one reading per character (the first one whose")
    out.append("// syllable the table holds), tone marks removed, the codes keyed by GBK.")
    out.append("")
    out.append('#include "PinyinData.h"')
    out.append("")
    out.append("// clang-format off")
    out.append("const unsigned char kPinyinSyllables[kSyllableCount][kSyllableSize] = {")
    for number, syllable in enumerate(table, start=1):
        body = f"{len(syllable)}" + (", " + c_chars(syllable) if syllable else "")
        out.append(f"    {{{body}}}, // {number}")
    out.append("};")
    out.append("")
    out.append("const quint16 kPinyinIndex[kIndexSize] = {")
    for row in range(LEAD_LAST - LEAD_FIRST + 1):
        out.append(f"    // {LEAD_FIRST + row:02X}40-{LEAD_FIRST + row:02X}FE")
        values = index[row * ROW_LENGTH:(row + 1) * ROW_LENGTH]
        out.extend(wrap([str(v) for v in values]))
    out.append("};")
    out.append("")
    out.append("const char kNumberedSymbols[94][3] = {")
    out.extend(wrap([f'"{s}"' for s in numbered_symbols()]))
    out.append("};")
    out.append("")
    out.append("const char kGreekLetters[24][3] = {")
    out.extend(wrap([f'"{s}"' for s in GREEK]))
    out.append("};")
    out.append("// clang-format on")
    return "\n".join(out) + "\n"


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--dict", default=DEFAULT_DICT, help="path of pinyin_dict.go")
    parser.add_argument("--output", help="file to write (default: standard output)")
    args = parser.parse_args()

    table = syllable_table()
    numbers = {syllable: n for n, syllable in enumerate(table, start=1) if syllable}
    index = build_index(read_source(args.dict), numbers)
    check(index, table)

    text = render(table, index)
    if args.output:
        with open(args.output, "w", encoding="utf-8", newline="\n") as output:
            output.write(text)
    else:
        sys.stdout.write(text)
    print(f"{sum(1 for v in index if v)} codes with a reading, "
          f"{len(table)} syllables", file=sys.stderr)


if __name__ == "__main__":
    main()
