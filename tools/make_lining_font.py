#!/usr/bin/python3
# SPDX-FileCopyrightText: 2026 Projet Sondelio
# SPDX-License-Identifier: GPL-3.0-or-later

"""make_lining_font.py IN.otf OUT.otf FAMILY

Writes a copy of an OpenType font whose figures are its lining ones by default, under a family
name of its own. The explanations window sets its text in a Garamond whose default figures are
old-style: projected, "95 %" reads "9s %" and "1 -" reads "I -". Qt draws a font's default
features only, so the character map itself is pointed at the glyphs that the font's own lining
feature ("lnum") substitutes; every other character keeps its glyph. The copyright and licence
records of the font are kept as they are: the variant goes under the font's licence.
"""

import sys

from fontTools.ttLib import TTFont


def lining_substitutions(font):
    """The glyph each glyph becomes under the font's lining-figure feature."""
    gsub = font["GSUB"].table
    lookups = {index
               for record in gsub.FeatureList.FeatureRecord if record.FeatureTag == "lnum"
               for index in record.Feature.LookupListIndex}
    substitutions = {}
    for index in sorted(lookups):
        lookup = gsub.LookupList.Lookup[index]
        if lookup.LookupType != 1:  # single substitutions are all a figure style needs
            raise SystemExit(f"lookup {index} of the lining feature is of type {lookup.LookupType}")
        for subtable in lookup.SubTable:
            substitutions.update(subtable.mapping)
    return substitutions


def point_figures_at_lining_glyphs(font):
    substitutions = lining_substitutions(font)
    for table in font["cmap"].tables:
        if not table.isUnicode():
            continue
        for code, glyph in table.cmap.items():
            if glyph in substitutions:
                table.cmap[code] = substitutions[glyph]
    figures = [chr(code) for code in range(ord("0"), ord("9") + 1)]
    lining = font.getBestCmap()
    unchanged = [figure for figure in figures if lining[ord(figure)] not in substitutions.values()]
    if unchanged:
        raise SystemExit(f"no lining glyph for the figures {''.join(unchanged)}")


def rename(font, family):
    """The variant is a family of its own, so that the program asks for it by name and it can
    never stand for the installed original."""
    postscript = family.replace(" ", "") + "-Regular"
    names = font["name"]
    # Every record of the original's names goes, in every language and platform; the
    # typographic family and style (16, 17) and the Macintosh full name (18) are not written
    # again, the family being one style.
    for name_id in (1, 2, 3, 4, 6, 16, 17, 18):
        names.removeNames(nameID=name_id)
    for name_id, text in ((1, family), (2, "Regular"), (3, postscript + ";lining figures"),
                          (4, family + " Regular"), (6, postscript)):
        names.setName(text, name_id, 3, 1, 0x409)
        names.setName(text, name_id, 1, 0, 0)
    if "CFF " in font:
        cff = font["CFF "].cff
        cff.fontNames = [postscript]
        top = cff.topDictIndex[0]
        top.FamilyName = family
        top.FullName = family + " Regular"


def main():
    if len(sys.argv) != 4:
        raise SystemExit(__doc__)
    source, target, family = sys.argv[1:]
    # The date of the original stays, so that a build makes the same bytes whenever it runs.
    font = TTFont(source, recalcTimestamp=False)
    point_figures_at_lining_glyphs(font)
    rename(font, family)
    font.save(target)


if __name__ == "__main__":
    main()
