#!/usr/bin/env python3
"""Prints what each failed test in a CTest log (LastTest.log) reported:
from its first failure line on, at most 40 lines a test."""
import re
import sys

FIRST = re.compile(r'Failure|AssertionError|Error:|Traceback|FAILED')


def main(path):
    try:
        with open(path, errors='replace') as f:
            text = f.read()
    except OSError:
        return
    for block in text.split('\n----------------------------------------------------------\n\n'):
        name = re.search(r'^\d+/\d+ Testing: (\S+)', block, re.M)
        if not name or 'Test Failed.' not in block:
            continue
        lines = block.split('<end of output>')[0].splitlines()
        start = next((i for i, line in enumerate(lines) if FIRST.search(line)), max(0, len(lines) - 40))
        print('== failed: %s' % name.group(1))
        print('\n'.join(lines[start:start + 40]))


if __name__ == '__main__':
    main(sys.argv[1])
