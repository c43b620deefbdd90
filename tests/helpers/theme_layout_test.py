#!/usr/bin/env python3
"""theme_layout.py against the shipped theme and a small made-up one: the
buttons the end-to-end tests click lie on the message page, and nested
controls add their parents' places.

usage: theme_layout_test.py"""
import os
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import theme_layout  # noqa: E402

MESSAGE_BUTTONS = ('mbox_ok', 'mbox_retry', 'mbox_cancel', 'mbox_yes', 'mbox_no', 'mbox_edit')


class ShippedTheme(unittest.TestCase):
    def setUp(self):
        self.config = theme_layout.theme_config()
        self.ids = theme_layout.control_ids(theme_layout.control_ids_file())

    def test_message_controls_lie_inside_the_message_page(self):
        width, height = theme_layout.page_size(self.config, 1)
        for func in MESSAGE_BUTTONS:
            page, x, y, w, h = theme_layout.control_rect(self.config, func)
            self.assertEqual(1, page, func)
            self.assertTrue(w > 0 and h > 0, func)
            self.assertTrue(0 <= x and x + w <= width and 0 <= y and y + h <= height, (func, x, y, w, h))

    def test_identifiers_name_the_same_controls_as_their_funcs(self):
        by_func = {func: number for number, func in self.ids.items()}
        for func in MESSAGE_BUTTONS:
            self.assertEqual(theme_layout.control_rect(self.config, func),
                             theme_layout.control_rect(self.config, by_func[func], self.ids))

    def test_buttons_shown_together_do_not_overlap(self):
        for first, second in (('mbox_retry', 'mbox_cancel'), ('mbox_yes', 'mbox_no')):
            _, x1, y1, w1, h1 = theme_layout.control_rect(self.config, first)
            _, x2, y2, w2, h2 = theme_layout.control_rect(self.config, second)
            apart = x1 + w1 <= x2 or x2 + w2 <= x1 or y1 + h1 <= y2 or y2 + h2 <= y1
            self.assertTrue(apart, (first, second))

    def test_an_unknown_identifier_is_an_error(self):
        with self.assertRaises(KeyError):
            theme_layout.control_rect(self.config, 1, self.ids)


class MadeUpTheme(unittest.TestCase):
    CONFIG = """<config><forms>
  <step pt="0,0" size="300,200">
    <CGuiButtonCtrl func="only_first" pt="10,20" size="30,40"/>
  </step>
  <step pt="5,6" size="300,200">
    <CGuiBitmapBorderCtrl pt="100,50" size="150,100">
      <CGuiBitmapBorderCtrl pt="7,8" size="50,50">
        <CGuiTextLabelCtrl func="nested" pt="1,2" size="20,10"/>
      </CGuiBitmapBorderCtrl>
    </CGuiBitmapBorderCtrl>
    <CGuiButtonCtrl func="only_first" pt="200,150" size="30,40"/>
  </step>
</forms></config>"""

    def setUp(self):
        handle, self.config = tempfile.mkstemp(suffix='.xml')
        with os.fdopen(handle, 'w') as f:
            f.write(self.CONFIG)
        self.addCleanup(os.remove, self.config)

    def test_places_add_up_through_the_parents_and_the_page(self):
        self.assertEqual((2, 5 + 100 + 7 + 1, 6 + 50 + 8 + 2, 20, 10),
                         theme_layout.control_rect(self.config, 'nested'))

    def test_the_first_page_with_the_control_wins(self):
        self.assertEqual((1, 10, 20, 30, 40), theme_layout.control_rect(self.config, 'only_first'))

    def test_a_missing_control_is_an_error(self):
        with self.assertRaises(KeyError):
            theme_layout.control_rect(self.config, 'absent')


if __name__ == '__main__':
    unittest.main(verbosity=2)
