#!/usr/bin/env python3
"""The shipped theme's fonts can draw every text of the launcher: each
character of the string tables (assets/strings) and of the language names
in the launcher configuration is in the character map of both Roboto files
of theme_kx, and the fonts travel with their licence.

usage: theme_fonts_test.py <project folder>"""
import glob
import os
import sys
import unittest
import xml.etree.ElementTree as ET

from fontTools.ttLib import TTFont

ROOT = None
FONT_NAMES = ('Roboto-Regular', 'Roboto-Bold')


def fonts_folder():
    return os.path.join(ROOT, 'assets', 'package', 'theme_kx', 'fonts')


def read_table(path):
    """Entries of a string table source: '<number><tab><text>' lines, '#'
    comments, '\\n' a line feed, '\\\\' a backslash (as lso-compile reads it)."""
    entries = []
    with open(path, encoding='utf-8') as f:
        for line in f.read().split('\n'):
            line = line.rstrip('\r')
            if not line or line.startswith('#'):
                continue
            number, tab, text = line.partition('\t')
            if not tab or int(number) != len(entries):
                raise ValueError('%s: bad line %r' % (path, line))
            entries.append(text.replace('\\\\', '\0').replace('\\n', '\n').replace('\0', '\\'))
    return entries


def language_names():
    root = ET.parse(os.path.join(ROOT, 'assets', 'package', 'config.xml')).getroot()
    return [e.get('long') for e in root.find('common/languages').findall('enable')]


def drawn_characters(texts):
    """The characters a text draws: everything but control characters (the
    line feed breaks lines)."""
    return {ch for text in texts for ch in text if ord(ch) >= 0x20}


def missing(characters, cmap):
    return sorted(ch for ch in characters if ord(ch) not in cmap)


def font_cmap(name):
    return TTFont(os.path.join(fonts_folder(), name + '.ttf'))['cmap'].getBestCmap()


class ThemeFonts(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.cmaps = {name: font_cmap(name) for name in FONT_NAMES}
        cls.tables = sorted(glob.glob(os.path.join(ROOT, 'assets', 'strings', '*.txt')))

    def test_both_fonts_and_their_licence_are_shipped(self):
        files = sorted(os.listdir(fonts_folder()))
        self.assertEqual(['LICENSE.txt', 'Roboto-Bold.ttf', 'Roboto-Regular.ttf'], files)
        with open(os.path.join(fonts_folder(), 'LICENSE.txt'), encoding='utf-8') as f:
            self.assertIn('Apache License', f.read())

    def test_a_table_for_every_configured_language(self):
        codes = [os.path.splitext(os.path.basename(p))[0] for p in self.tables]
        root = ET.parse(os.path.join(ROOT, 'assets', 'package', 'config.xml')).getroot()
        configured = [e.get('lang') for e in root.find('common/languages').findall('enable')]
        self.assertEqual(sorted(configured), codes)

    def test_every_character_of_the_string_tables_is_in_both_fonts(self):
        for path in self.tables:
            characters = drawn_characters(read_table(path))
            self.assertGreater(len(characters), 40, path)
            for name, cmap in self.cmaps.items():
                with self.subTest(table=os.path.basename(path), font=name):
                    self.assertEqual([], missing(characters, cmap))

    def test_language_names_are_in_both_fonts(self):
        characters = drawn_characters(language_names())
        self.assertIn('Қ', characters)
        for name, cmap in self.cmaps.items():
            with self.subTest(font=name):
                self.assertEqual([], missing(characters, cmap))

    def test_a_character_outside_the_fonts_is_found(self):
        # The check itself can fail: Roboto has no CJK ideographs.
        characters = drawn_characters(['Talvoro \u6e38\u620f\n'])
        self.assertNotIn('\n', characters)
        self.assertEqual(['\u620f', '\u6e38'], missing(characters, self.cmaps['Roboto-Regular']))


if __name__ == '__main__':
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    ROOT = os.path.abspath(sys.argv.pop(1))
    unittest.main()
