#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""A whole poster by one switch, under Xvfb, as a child with one switch makes it; run by hand.

The program runs with scan=1 (the light moves by itself, at the default 1.0 s unless --interval
says otherwise) and saveFormats=true, and this script presses only Space (xdotool key space). Like
the child, it watches the screen: it finds the light (the yellow band between black) in a
screenshot and presses when the light is on the choice that leads to what it wants, soon after
the light came there. The poster: a paper colour, a dot, two pictures placed, the second made
bigger, "さくら" typed on the on-screen keyboard into a text placed on the poster, saved as BMP
through the save dialog under the name the program offers. At the end it prints the presses and
the time from the first press to the saved file; screenshots go into --shots.

  scripts/scan-poster.py --program build/app/tovimaru --display :72 --shots /tmp/scan-shots
"""

import argparse
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import time

TWIP = 15.0
MENU = 17  # the main window's menu bar, above its client area
W, H = 1280, 1024

parser = argparse.ArgumentParser()
parser.add_argument('--program', default='build/app/tovimaru')
parser.add_argument('--display', default=':72')
parser.add_argument('--interval', default='1.0')
parser.add_argument('--switches', type=int, default=1)
parser.add_argument('--shots', default='')
args = parser.parse_args()

work = tempfile.mkdtemp(prefix='scan-poster-')
env = dict(os.environ, DISPLAY=args.display, QT_QPA_PLATFORM='xcb', HOME=work + '/home',
           XDG_CONFIG_HOME=work + '/home/config', XDG_DATA_HOME=work + '/home/data',
           XDG_CACHE_HOME=work + '/home/cache')
os.makedirs(env['XDG_CONFIG_HOME'])
pictures = work + '/pictures'
os.makedirs(pictures)


def bmp(path, colour, size=(400, 300)):
    w, h = size
    row = bytes([colour[2], colour[1], colour[0]]) * w
    row += b'\0' * ((4 - len(row) % 4) % 4)
    data = row * h
    header = b'BM' + struct.pack('<IHHI', 54 + len(data), 0, 0, 54)
    info = struct.pack('<IiiHHIIiiII', 40, w, h, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    with open(path, 'wb') as f:
        f.write(header + info + data)


bmp(pictures + '/A.BMP', (0x00, 0xA0, 0x40))
bmp(pictures + '/B.BMP', (0x30, 0x50, 0xE0))


def xdo(*a):
    return subprocess.run(['xdotool', *a], capture_output=True, text=True, env=env).stdout.strip()


def geometry(window):
    g = dict(line.split('=') for line in xdo('getwindowgeometry', '--shell', window).splitlines() if '=' in line)
    return int(g['X']), int(g['Y']), int(g['WIDTH']), int(g['HEIGHT'])


def find_window(name, timeout=20):
    end = time.time() + timeout
    while time.time() < end:
        found = xdo('search', '--onlyvisible', '--name', name).split()
        if found:
            return found[0]
        time.sleep(0.2)
    sys.exit('no window ' + name)


shot_number = 0


def shot(name):
    global shot_number
    if args.shots:
        shot_number += 1
        subprocess.run(['import', '-silent', '-window', 'root', '%s/%02d-%s.png' % (args.shots, shot_number, name)], env=env)


YELLOW = b'\xff\xff\x00'


def light():
    """The light's yellow band on the screen: (left, top, right, bottom), or None."""
    raw = subprocess.run(['import', '-silent', '-window', 'root', '-depth', '8', 'rgb:-'], capture_output=True, env=env).stdout
    if len(raw) < W * H * 3:
        return None
    yellow = {}
    at = raw.find(YELLOW)
    while at != -1:
        if at % 3 == 0:
            n = 1
            while raw[at + 3 * n:at + 3 * n + 3] == YELLOW:
                n += 1
            for k in range(n):
                yellow[at // 3 + k] = n
            at += 3 * n
        else:
            at += 1
        at = raw.find(YELLOW, at)
    xs, ys = [], []
    for idx, run in yellow.items():
        if run > 6:  # a band along a row: thin across it?
            down = 0
            while down < 7 and idx + (down + 1) * W in yellow:
                down += 1
            up = 0
            while up < 7 and idx - (up + 1) * W in yellow:
                up += 1
            if up + down + 1 > 6:
                continue  # a yellow area (a swatch), not the light
        xs.append(idx % W)
        ys.append(idx // W)
    if len(xs) < 20:
        return None
    return min(xs), min(ys), max(xs), max(ys)


def inside(inner, outer):
    return inner and outer and outer[0] <= inner[0] and outer[1] <= inner[1] and inner[2] <= outer[2] and inner[3] <= outer[3]


presses = 0
started = None


def press(key='space'):
    global presses, started
    if started is None:
        started = time.time()
    presses += 1
    xdo('key', key)


FRESH = 0.05  # press only in the first screenshot that shows the light there


def wait_for(test, what, timeout=120):
    """Waits for the light to satisfy test, seen fresh; wakes a resting light. The band."""
    end = time.time() + timeout
    last, since, dark_since = None, time.time(), None
    while time.time() < end:
        t = time.time()
        band = light()
        if band != last:
            last, since = band, t
        if band is None:
            dark_since = dark_since or t
            if args.switches == 1 and t - dark_since > 2.5:
                press()  # the light rests: a press wakes it and takes nothing
                dark_since = None
            continue
        dark_since = None
        if test(band) and (args.switches == 2 or t - since < FRESH):
            return band
        if args.switches == 2 and not test(band):
            press('space')
            time.sleep(0.15)
    shot('lost')
    sys.exit('the light never came to ' + what)


def take(point, what, once=False, avoid=None):
    """Takes, level by level, the choices that hold point, until a control is taken (once: one
    take, for the paper, whose sweep lies inside it; avoid: a point of another group whose
    frame holds point too, as the working buttons' holds the waiting texts)."""
    x, y = point
    within = lambda b, p: b[0] <= p[0] <= b[2] and b[1] <= p[1] <= b[3]
    holds = lambda b: within(b, point) and not (avoid and within(b, avoid))
    for _ in range(6):
        band = wait_for(holds, what)
        press('space' if args.switches == 1 else 'Return')
        time.sleep(0.25)
        if once:
            return
        after = light()
        if not (after and inside(after, band) and after != band):
            return
    sys.exit('too deep: ' + what)


def sweep(coordinate, across, what):
    def on(b):
        thin = (b[2] - b[0]) < 20 if across else (b[3] - b[1]) < 20
        middle = (b[0] + b[2]) / 2 if across else (b[1] + b[3]) / 2
        return thin and abs(middle - coordinate) < 12
    wait_for(on, what)
    press('space' if args.switches == 1 else 'Return')
    time.sleep(0.25)


def twips(origin, left, top, width=0, height=0):
    return (round(origin[0] + (left + width / 2) / TWIP), round(origin[1] + (top + height / 2) / TWIP))


program = subprocess.Popen([args.program, '--set', 'scan=%d' % args.switches, '--set', 'scanInterval=' + args.interval,
                            '--set', 'saveFormats=true', pictures], env=env, stdout=subprocess.DEVNULL,
                           stderr=open(work + '/program.log', 'w'))
try:
    form = find_window('^Tovimaru$')
    registration = find_window('データの登録')
    time.sleep(1.5)
    gx, gy, _, _ = geometry(form)
    client = (gx, gy + MENU)
    shot('start')
    rx, ry, _, _ = geometry(registration)
    take(twips((rx, ry), 5760, 4600, 2295, 480), '"これでよし"')

    # Step 1: a paper colour from the picker, and a dot.
    time.sleep(0.5)
    take(twips(client, 11400, 2880, 3135, 1695), '"かみのいろ"')
    time.sleep(0.5)
    picker = [w for w in xdo('search', '--onlyvisible', '--name', '').split() if xdo('getwindowname', w).strip() == '']
    px, py, _, _ = geometry(picker[-1])
    take(twips((px, py), 120 + 480 * 2, 120 + 480, 495, 495), 'a light orange swatch')  # Label3(10)
    shot('picker')
    take(twips((px, py), 840, 1680, 2415, 615), 'the picker\'s "OK"')
    paper = (client[0] + 16, client[1] + 184, 707, 499)
    take((paper[0] + 60, paper[1] + 440), 'the paper', once=True)
    sweep(paper[0] + paper[2] * 9 / 40, True, 'the line across')
    sweep(paper[1] + paper[3] * 13 / 40, False, 'the line down')
    shot('dot')
    take((client[0] + 856, client[1] + 280), '"おわり" of the dots')
    take(twips(client, 13080, 360, 1815, 1095), '"つぎへ" of step 1')

    # Step 2: two pictures, the second made bigger.
    time.sleep(0.5)

    def place(area, spot):
        left = paper[0] + paper[2] * (area % 3) / 3
        top = paper[1] + paper[3] * (area // 3) / 3
        return (round(left + paper[2] / 3 * ((spot % 3) + 0.5) / 3), round(top + paper[3] / 3 * ((spot // 3) + 0.5) / 3))

    take(twips(client, 11040 + 900, 2280 + 600), 'the first picture')
    shot('carried')
    take(place(1, 4), 'a place for the first picture')
    take(twips(client, 11040 + 2040 + 900, 2280 + 600), 'the second picture')
    take(place(3, 4), 'a place for the second picture')
    take(twips(client, 7680, 1800, 2055, 735), '"おおきく"')
    shot('pictures')
    take(twips(client, 13080, 360, 1815, 1095), '"つぎへ" of step 2')

    # Step 3: the first text onto the poster, and "さくら" typed into it.
    time.sleep(0.5)
    edit = twips(client, 11040, 9720, 3855, 735)  # "もじ の へんしゅう", among the working buttons
    take(twips(client, 11040, 2520, 3855, 555), 'the first text', avoid=edit)
    take(place(7, 4), 'a place for the text')
    take(twips(client, 11040, 9720, 3855, 735), '"もじ の へんしゅう"')
    time.sleep(0.5)
    for left, top, name in ((8190, 4800, 'さ'), (9075, 6570, 'く'), (2880, 4800, 'ら')):
        take(twips(client, left, top, 885, 885), name, avoid=edit)
    shot('typed')
    take(twips(client, 9120, 3120, 1725, 720), 'ＯＫ', avoid=edit)
    take(twips(client, 11040, 9720, 3855, 735), '"はりつけ に もどる"')
    shot('text')
    take(twips(client, 13080, 360, 1815, 1095), '"つぎへ" of step 3')

    # Step 4: saved as BMP through the save dialog, under the name it offers.
    time.sleep(0.5)
    before = set(xdo('search', '--onlyvisible', '--name', '').split())
    take(twips(client, 11400, 2880, 3135, 1695), '"ほぞん"')
    time.sleep(1.0)
    dialogs = [w for w in xdo('search', '--onlyvisible', '--name', '').split() if w not in before]
    if not dialogs:
        sys.exit('no save dialog')
    dx, dy, dw, dh = geometry(dialogs[-1])
    shot('dialog')
    take((dx + dw - 56, dy + dh - 54), 'the dialog\'s save button')
    end = time.time() + 20
    saved = []
    while time.time() < end and not saved:
        saved = [os.path.join(d, f) for d, _, files in os.walk(work) for f in files if f.lower().endswith('.bmp')
                 and f not in ('A.BMP', 'B.BMP')]
        time.sleep(0.2)
    if not saved:
        shot('not-saved')
        sys.exit('nothing saved')
    took = time.time() - started
    shot('saved')
    if args.shots:
        shutil.copy(saved[0], os.path.join(args.shots, 'poster.bmp'))
    print('%d presses, %.0f s (%d min %02d s), saved %s' % (presses, took, took // 60, took % 60, saved[0]))
finally:
    program.terminate()
    program.wait(5)
