#!/usr/bin/env python3
"""Where a control of the launcher's skinned window is: its rectangle in
design pixels (UiScale 1), read from a theme's config.xml. The window has
no child windows, so tests find a control by its place on the page, as a
user does.

A control's place is the sum of the pt of its element and of every
enclosing element up to and including its page (<step>); its size is its
own size. Controls are named by their func; the launcher's numeric
identifiers map to func names through src/logic/control_ids.cpp, which is
read rather than copied so that the table has one home.

usage: theme_layout.py <config.xml> <func or identifier> [<control_ids.cpp>]
prints "<page> <x> <y> <w> <h>"."""
import os
import re
import sys
import xml.etree.ElementTree as ET

SOURCE = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', '..'))


def theme_config(source=SOURCE):
    return os.path.join(source, 'assets', 'package', 'theme_kx', 'config.xml')


def control_ids_file(source=SOURCE):
    return os.path.join(source, 'src', 'logic', 'control_ids.cpp')


def control_ids(path):
    """{identifier: func} from the launcher's table of {"func", id} rows."""
    with open(path, encoding='utf-8') as f:
        text = f.read()
    ids = {int(number): func for func, number in re.findall(r'\{\s*"(\w+)"\s*,\s*(\d+)\s*\}', text)}
    if not ids:
        raise ValueError('no control identifiers in %s' % path)
    return ids


def _pair(element, name):
    value = element.get(name)
    if value is None:
        return 0, 0
    x, y = (int(v) for v in value.split(','))
    return x, y


def _find(element, func, x, y):
    """(x, y, w, h) of the first element below <element> with <func>, its
    place offset by (x, y), the place of <element>'s own origin."""
    for child in element:
        cx, cy = _pair(child, 'pt')
        cx, cy = x + cx, y + cy
        if child.get('func') == func:
            w, h = _pair(child, 'size')
            return cx, cy, w, h
        found = _find(child, func, cx, cy)
        if found:
            return found
    return None


def pages(config_path):
    """The theme's pages (<step> elements under <forms>), page 1 first."""
    forms = ET.parse(config_path).getroot().find('forms')
    return [] if forms is None else forms.findall('step')


def control_rect(config_path, control, ids=None):
    """(page number, x, y, w, h) of <control> (a func name, or an identifier
    looked up in <ids>) on the first page that has it, in design pixels from
    the window's top left corner."""
    func = control
    if isinstance(control, int):
        func = (ids or {}).get(control)
        if func is None:
            raise KeyError('control %d has no func name' % control)
    for number, step in enumerate(pages(config_path), start=1):
        x, y = _pair(step, 'pt')
        found = _find(step, func, x, y)
        if found:
            return (number,) + found
    raise KeyError('no page of %s has the control %s' % (config_path, func))


def list_row_rect(config_path, index, func='language'):
    """(x, y, w, h) of row <index> of the drop-down box <func> when its list
    opens below the box: the list's border, the rows' border and <index>
    rows of the box's listElementHeight."""
    _, x, y, w, h = control_rect(config_path, func)
    for element in ET.parse(config_path).getroot().iter():
        if element.get('func') == func:
            break
    quad = lambda name: [int(v) for v in element.get(name, '0 0 0 0').replace(',', ' ').split()]  # noqa: E731
    row = int(element.get('listElementHeight'))
    top = y + h + quad('listBorder')[1] + quad('listElementsBorder')[1] + index * row
    return x, top, w, row


def page_size(config_path, number):
    return _pair(pages(config_path)[number - 1], 'size')


def main(argv):
    if len(argv) not in (3, 4):
        sys.stderr.write(__doc__)
        return 2
    control = int(argv[2]) if argv[2].isdigit() else argv[2]
    ids = control_ids(argv[3] if len(argv) > 3 else control_ids_file()) if isinstance(control, int) else None
    print(*control_rect(argv[1], control, ids))
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
