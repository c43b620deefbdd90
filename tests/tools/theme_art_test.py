#!/usr/bin/env python3
"""The shipped theme theme_kx: its pictures and config.xml are exactly what
tools/theme/make_theme.py makes (so the committed files and the generator
cannot drift apart, and the generator's own layout checks hold), and every
sheet cuts, under the launcher's sprite rule, into the number of sprites
the controls that use it expect.

The rule: the key colour is the 32-bit value of pixel (0, 0); every
4-connected region of other pixels is one sprite, numbered in the order its
first pixel is met scanning rows top to bottom, left to right; more than
254 provisional labels reject the picture.

usage: theme_art_test.py <project folder>"""
import array
import os
import subprocess
import sys
import tempfile
import unittest
import xml.etree.ElementTree as ET

from PIL import Image

ROOT = None
KEY = (0, 255, 255, 255)

# Sprites each control class draws from its profile's texture.
EXPECTED = {
    'step': {9}, 'CGuiBitmapBorderCtrl': {9}, 'CGuiBitmapCtrl': {1},
    'CGuiButtonCtrl': {12, 36}, 'CGuiEditCtrl': {12, 36}, 'CGuiComboBoxCtrl': {12, 36},
    'CGuiCheckBoxCtrl': {7}, 'CGuiProgressCtrl': {6}, 'CGuiProgressWaitCtrl': {6}, 'CGuiScrollCtrl': {48},
}


def theme_folder():
    return os.path.join(ROOT, 'assets', 'package', 'theme_kx')


def cut(image):
    """Bounding boxes (x0, y0, x1, y1) of the sprites of a picture, in sprite
    order, by one-pass labelling with a union table; None when the picture
    needs more than 254 provisional labels."""
    w, h = image.size
    px = array.array('I', image.convert('RGBA').tobytes())
    key = px[0]
    labels = [-1] * (w * h)
    parent = []

    def root(a):
        while parent[a] != a:
            a = parent[a]
        return a
    for i, value in enumerate(px):
        if value == key:
            continue
        left = labels[i - 1] if i % w else -1
        up = labels[i - w] if i >= w else -1
        if left < 0 and up < 0:
            if len(parent) == 254:
                return None
            parent.append(len(parent))
            labels[i] = len(parent) - 1
        elif left >= 0 and up >= 0 and left != up:
            a, b = root(left), root(up)
            parent[a] = parent[b] = min(a, b)
            labels[i] = min(a, b)
        else:
            labels[i] = left if left >= 0 else up
    roots = sorted({root(a) for a in range(len(parent))})
    index = {r: n for n, r in enumerate(roots)}
    boxes = [[w, h, 0, 0] for _ in roots]
    for i, label in enumerate(labels):
        if label >= 0:
            box, x, y = boxes[index[root(label)]], i % w, i // w
            box[0], box[1] = min(box[0], x), min(box[1], y)
            box[2], box[3] = max(box[2], x + 1), max(box[3], y + 1)
    return [tuple(b) for b in boxes]


def picture(rows):
    """A small picture from strings: '.' key, 'x' opaque red, 't' transparent."""
    colours = {'.': KEY, 'x': (255, 0, 0, 255), 't': (0, 0, 0, 0)}
    image = Image.new('RGBA', (len(rows[0]), len(rows)))
    image.putdata([colours[c] for row in rows for c in row])
    return image


class SpriteRule(unittest.TestCase):
    """The labelling used below behaves as the launcher's cutter."""

    def test_diagonal_neighbours_are_separate_sprites(self):
        self.assertEqual([(1, 1, 2, 2), (2, 2, 3, 3)], cut(picture(['....', '.x..', '..x.', '....'])))

    def test_transparent_pixels_belong_to_a_sprite_and_numbering_follows_first_pixels(self):
        boxes = cut(picture(['.......', '....xx.', '.x..tx.', '.xxxxx.', '.......']))
        self.assertEqual([(1, 1, 6, 4)], boxes)  # one U-shaped region, merged
        self.assertEqual([(3, 1, 4, 2), (1, 2, 2, 3)], cut(picture(['.....', '...x.', '.x...'])))

    def test_too_many_provisional_labels_reject_the_picture(self):
        self.assertEqual(254, len(cut(picture(['.' * 509, '.x' * 254 + '.']))))
        self.assertIsNone(cut(picture(['.' * 511, '.x' * 255 + '.'])))


class ShippedTheme(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.config = ET.parse(os.path.join(theme_folder(), 'config.xml')).getroot()
        cls.profiles = {p.tag: p for p in cls.config.find('profiles')}
        cls.sprites = {}

    def count(self, texture):
        if texture not in self.sprites:
            image = Image.open(os.path.join(theme_folder(), *texture.split('\\')))
            self.assertEqual(KEY, image.convert('RGBA').getpixel((0, 0)), texture)
            self.sprites[texture] = cut(image)
            self.assertIsNotNone(self.sprites[texture], texture + ' needs too many labels')
        return len(self.sprites[texture])

    def test_generator_reproduces_the_committed_files(self):
        generator = os.path.join(ROOT, 'tools', 'theme', 'make_theme.py')
        with tempfile.TemporaryDirectory() as out:
            run = subprocess.run([sys.executable, generator, '--out', out], capture_output=True, text=True)
            self.assertEqual(0, run.returncode, run.stderr)
            made = sorted(os.path.relpath(os.path.join(d, f), out) for d, _, fs in os.walk(out) for f in fs)
            self.assertIn('config.xml', made)
            shipped = sorted(os.path.relpath(os.path.join(d, f), theme_folder())
                             for d, _, fs in os.walk(theme_folder()) for f in fs
                             if os.path.basename(d) != 'fonts')
            self.assertEqual(shipped, made, 'files the generator does not make, or does not find')
            for name in made:
                with open(os.path.join(out, name), 'rb') as a, open(os.path.join(theme_folder(), name), 'rb') as b:
                    self.assertTrue(a.read() == b.read(), name + ' differs from what the generator makes')

    def test_every_sheet_has_the_sprites_its_controls_draw(self):
        checked = 0
        for element in self.config.find('forms').iter():
            expected = EXPECTED.get(element.tag)
            if expected is None:
                continue
            texture = self.profiles[element.get('profile')].get('texture')
            self.assertIsNotNone(texture, '%s %s has no picture' % (element.tag, element.get('func')))
            self.assertIn(self.count(texture), expected, '%s (%s)' % (texture, element.tag))
            checked += 1
        self.assertGreater(checked, 30)

    def test_tooltip_and_language_box_pictures(self):
        self.assertEqual(9, self.count(self.profiles['profile_tooltip'].get('texture')))
        combos = [e for e in self.config.find('forms').iter('CGuiComboBoxCtrl') if e.get('func') == 'language']
        self.assertEqual(1, len(combos))
        children = self.profiles[combos[0].get('profile')].get('profilesForChildren').split()
        self.assertEqual(9, self.count(self.profiles[children[0]].get('texture')))  # the drop list's frame
        launcher = ET.parse(os.path.join(ROOT, 'assets', 'package', 'config.xml')).getroot()
        languages = launcher.find('common/languages').findall('enable')
        self.assertEqual(len(languages), self.count(self.profiles[children[1]].get('texture')))  # one flag each

    def test_sheets_start_with_a_row_of_key_colour(self):
        for profile in self.profiles.values():
            texture = profile.get('texture')
            if texture:
                image = Image.open(os.path.join(theme_folder(), *texture.split('\\'))).convert('RGBA')
                row = {image.getpixel((x, 0)) for x in range(image.width)}
                self.assertEqual({KEY}, row, texture)

    def test_scroll_bar_is_ten_design_pixels_wide(self):
        # Its width comes from sprite 0 (drawn at twice the size, zoom 0.5).
        for element in self.config.find('forms').iter('CGuiScrollCtrl'):
            profile = self.profiles[element.get('profile')]
            self.count(profile.get('texture'))
            x0, _, x1, _ = self.sprites[profile.get('texture')][0]
            self.assertEqual(10, (x1 - x0) * float(profile.get('zoom')))

    def test_children_profiles_are_defined_before_use(self):
        names = list(self.profiles)
        for n, profile in enumerate(self.profiles.values()):
            for child in (profile.get('profilesForChildren') or '').split():
                self.assertIn(child, names[:n], profile.tag)


if __name__ == '__main__':
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    ROOT = os.path.abspath(sys.argv.pop(1))
    unittest.main()
