#!/usr/bin/env python3
"""A sample game client folder and its pack description, for the end-to-end
tests, the demo and the install benchmark.

  sample_client.py <client folder> <description.xml> --game-client <exe>
                   [--files N] [--mib M] [--packs P] [--add NAME]...

The folder gets GameClient.exe (the given game client double) and N data
files of about M MiB together under data/d<k>/, spread over P data packs
(data_<k>.pkg) plus client.pkg with everything else; the files the double
writes (client_cmdline.txt, client_answers.txt) are kept by IGNORE entries. Each --add NAME adds a
small folder addons/NAME/ in an "add" pack NAME.pkg (installed only when
asked for). The same arguments always give the same bytes."""
import argparse
import os
import random
import shutil

DESCRIPTION = """<?xml version="1.0" encoding="UTF-8"?>
<updateSet clientVersion="{version}">
{packs}</updateSet>
"""


def data_file(seed, index, size):
    """Half random, half text: the packs compress, but not to nothing."""
    rng = random.Random('%s:%d' % (seed, index))
    noise = rng.randbytes(size // 2)
    block = b''.join(b'file %d of the sample client, line %d\n' % (index, n) for n in range(1500))
    rest = size - len(noise)
    return noise + (block * (rest // len(block) + 1))[:rest]


def make_client(folder, game_client, files=40, mib=8.0, packs=3, add=(), seed='sample', version='1.0.0'):
    """Writes the client folder; returns the pack description text."""
    if os.path.exists(folder):
        shutil.rmtree(folder)
    os.makedirs(folder)
    shutil.copyfile(game_client, os.path.join(folder, 'GameClient.exe'))
    rng = random.Random(seed)
    weights = [rng.uniform(0.2, 1.8) for _ in range(files)]
    total = int(mib * 1024 * 1024)
    for i, w in enumerate(weights):
        sub = os.path.join(folder, 'data', 'd%02d' % (i % packs))
        os.makedirs(sub, exist_ok=True)
        with open(os.path.join(sub, 'f%05d.bin' % i), 'wb') as f:
            f.write(data_file(seed, i, int(total * w / sum(weights))))
    xml = ''
    for k in range(min(packs, files)):
        xml += '  <pack file="data_%d.pkg"><include path="data/d%02d"/></pack>\n' % (k, k)
    for name in add:
        addon = os.path.join(folder, 'addons', name)
        os.makedirs(addon)
        for i in range(3):
            with open(os.path.join(addon, 'part%d.bin' % i), 'wb') as f:
                f.write(data_file(seed + name, i, 20000))
        xml += '  <pack type="add" file="%s.pkg"><include path="addons/%s"/></pack>\n' % (name, name)
    xml += '  <pack file="client.pkg"><include path="**"/></pack>\n'
    # What the game client double writes beside itself is no part of the client.
    xml += '  <ignore file="*\\client_cmdline.txt"/>\n  <ignore file="*\\client_answers.txt"/>\n'
    return DESCRIPTION.format(version=version, packs=xml)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument('folder')
    parser.add_argument('description')
    parser.add_argument('--game-client', required=True)
    parser.add_argument('--files', type=int, default=40)
    parser.add_argument('--mib', type=float, default=8)
    parser.add_argument('--packs', type=int, default=3)
    parser.add_argument('--add', action='append', default=[])
    a = parser.parse_args()
    text = make_client(a.folder, a.game_client, a.files, a.mib, a.packs, a.add)
    with open(a.description, 'w') as f:
        f.write(text)


if __name__ == '__main__':
    main()
