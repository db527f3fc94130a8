#!/usr/bin/env python3
"""Writes the toolbar and window images of the editor into res/icons/.

Each image is drawn on the grid of the toolbar it belongs to (standard bar
16x15, rhythm bar 20x30, note attributes 28x20, settings and playback 34x28)
so lines fall on whole pixels. Run it again after changing a drawing and
commit the SVG files it writes.
"""
import math
import os
import sys

INK = "#1d1d24"
BLUE = "#1f4fa8"
RED = "#b3261e"
GREEN = "#2e8b35"
GREY = "#9aa3b5"
ORANGE = "#d9822b"

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "res", "icons")


def svg(w, h, body):
    return (f'<svg xmlns="http://www.w3.org/2000/svg" width="{w}" height="{h}" viewBox="0 0 {w} {h}">\n'
            + body + "</svg>\n")


def text(x, y, s, size, color=INK, weight="bold", family="Liberation Sans", anchor="middle", style="normal"):
    return (f'<text x="{x}" y="{y}" font-family="{family}" font-size="{size}" font-weight="{weight}" '
            f'font-style="{style}" fill="{color}" text-anchor="{anchor}">{s}</text>\n')


def line(x1, y1, x2, y2, color=INK, width=1.0, extra=""):
    return (f'<line x1="{x1}" y1="{y1}" x2="{x2}" y2="{y2}" stroke="{color}" stroke-width="{width}" '
            f'stroke-linecap="round" {extra}/>\n')


def path(d, fill="none", stroke=INK, width=1.0, extra=""):
    return (f'<path d="{d}" fill="{fill}" stroke="{stroke}" stroke-width="{width}" '
            f'stroke-linecap="round" stroke-linejoin="round" {extra}/>\n')


def arrowhead(x, y, angle_deg, size=3.2, color=INK):
    """A filled arrowhead with its tip at (x, y) pointing along angle."""
    a = math.radians(angle_deg)
    bx, by = x - size * math.cos(a), y - size * math.sin(a)
    px, py = -math.sin(a) * size * 0.6, math.cos(a) * size * 0.6
    return (f'<path d="M{x:.2f},{y:.2f} L{bx + px:.2f},{by + py:.2f} L{bx - px:.2f},{by - py:.2f} Z" '
            f'fill="{color}" stroke="{color}" stroke-width="0.5" stroke-linejoin="round"/>\n')


# ---------------------------------------------------------------- rhythm 20x30

def notehead(cx, cy, hollow=False, rx=4.3, ry=3.0):
    out = f'<ellipse cx="{cx}" cy="{cy}" rx="{rx}" ry="{ry}" transform="rotate(-22 {cx} {cy})" fill="{INK}"/>\n'
    if hollow:
        out += (f'<ellipse cx="{cx}" cy="{cy}" rx="{rx * 0.62:.2f}" ry="{ry * 0.45:.2f}" '
                f'transform="rotate(-22 {cx} {cy})" fill="white"/>\n')
    return out


def flagged(flags):
    head_x, head_y = 7.5, 25.0
    stem_x = head_x + 3.9
    top = 2.0
    body = notehead(head_x, head_y)
    body += line(stem_x, head_y - 1.0, stem_x, top, width=1.3)
    for i in range(flags):
        y = top + i * 4.6
        body += path(f"M{stem_x},{y} C{stem_x + 0.5},{y + 3.2} {stem_x + 7.2},{y + 4.2} {stem_x + 5.6},{y + 9.0} "
                     f"C{stem_x + 5.4},{y + 6.0} {stem_x + 2.6},{y + 4.6} {stem_x},{y + 4.0} Z",
                     fill=INK, width=0.6)
    return svg(20, 30, body)


def rhythm_icons():
    icons = {}
    # whole: a wide open head with its slanted hole, no stem
    icons["whole"] = svg(20, 30, f'<ellipse cx="10" cy="17" rx="7.2" ry="4.8" fill="{INK}"/>\n'
                                 f'<ellipse cx="10" cy="17" rx="3.3" ry="2.3" transform="rotate(55 10 17)" fill="white"/>\n')
    half = notehead(7.5, 25.0, hollow=True) + line(11.4, 24.0, 11.4, 3.0, width=1.3)
    icons["half"] = svg(20, 30, half)
    icons["quarter"] = flagged(0)
    icons["eighth"] = flagged(1)
    icons["sixteenth"] = flagged(2)
    icons["thirtysecond"] = flagged(3)
    icons["sixtyfourth"] = flagged(4)
    dotted = notehead(6.5, 25.0) + line(10.4, 24.0, 10.4, 5.0, width=1.3)
    dotted += f'<circle cx="15.6" cy="24" r="2.4" fill="{BLUE}"/>\n'
    icons["dotted"] = svg(20, 30, dotted)
    trip = ""
    for x in (3.6, 9.8, 16.0):
        trip += notehead(x, 25.5, rx=2.7, ry=2.0)
        trip += line(x + 2.4, 25.0, x + 2.4, 13.0, width=1.0)
    trip += f'<rect x="5.5" y="12.2" width="13.4" height="2.0" fill="{INK}"/>\n'
    trip += path("M3,8.5 V6 H7.5 M14,6 H18.5 V8.5", stroke=BLUE, width=1.0)
    trip += text(10.8, 9.6, "3", 8.5, color=BLUE, family="Liberation Serif", style="italic")
    icons["triplet"] = svg(20, 30, trip)
    return icons


# ------------------------------------------------------- note attributes 28x20

def tab_lines(w=28, ys=(4.5, 10, 15.5)):
    return "".join(line(1, y, w - 1, y, color=GREY, width=0.8) for y in ys)


def attribute_icons():
    W, H = 28, 20
    icons = {}
    icons["deadnote"] = svg(W, H, tab_lines() + line(9, 4, 19, 16, width=2.4) + line(19, 4, 9, 16, width=2.4))
    rest = path("M12.4,1.6 L16.6,6.3 L12.6,10.6 L16.6,14.8", stroke=INK, width=2.4)
    rest += path("M16.6,14.8 C13.6,13.2 11.4,15.2 14.6,18.8", stroke=INK, width=1.7)
    icons["rest"] = svg(W, H, rest)
    tie = notehead(6.5, 14.0, rx=3.6, ry=2.6) + notehead(21.5, 14.0, rx=3.6, ry=2.6)
    tie += path("M5,9.5 C9,2.5 19,2.5 23,9.5 C19,5.2 9,5.2 5,9.5 Z", fill=BLUE, stroke=BLUE, width=0.8)
    icons["tie"] = svg(W, H, tie)

    def slur_letter(letter):
        body = path("M3,9 C8,1.5 20,1.5 25,9", stroke=BLUE, width=1.8)
        body += text(14, 19, letter, 12)
        return svg(W, H, body)

    icons["hammeron"] = slur_letter("H")
    icons["pulloff"] = slur_letter("P")

    def slide(up):
        low, high = 19.2, 9.0
        body = text(4.6, low if up else high, "5" if up else "7", 10)
        body += text(23.4, high if up else low, "7" if up else "5", 10)
        body += line(8.8, 16.5 if up else 3.5, 19.2, 3.5 if up else 16.5, color=BLUE, width=2.2)
        return svg(W, H, body)

    icons["slideup"] = slide(True)
    icons["slidedown"] = slide(False)
    arp = ""
    y = 18.5
    d = f"M7,{y}"
    while y > 6:
        d += f" q-2.4,-1.5 0,-3"
        y -= 3
    arp += path(d, stroke=BLUE, width=1.4) + arrowhead(7, 2.0, -90, 3.6, BLUE)
    for cy in (5.0, 10.5, 16.0):
        arp += notehead(19, cy, rx=3.3, ry=2.3)
    icons["arpeggio"] = svg(W, H, arp)
    icons["tapping"] = svg(W, H, tab_lines() + f'<rect x="7" y="2" width="14" height="16" rx="2" fill="white"/>\n'
                           + text(14, 16.5, "T", 15, color=BLUE))
    lh = f'<circle cx="14" cy="10" r="8.4" fill="white" stroke="{BLUE}" stroke-width="1.6"/>\n'
    lh += text(14, 15, "T", 13, color=BLUE) + text(22.8, 19.2, "g", 7.5, color=INK)
    icons["lefthandtapping"] = svg(W, H, tab_lines() + lh)

    def harmonic(letter, filled):
        body = tab_lines()
        fill = "#dbe6fb" if filled else "white"
        body += path("M14,1 L23,10 L14,19 L5,10 Z", fill=fill, stroke=INK, width=1.4)
        body += text(14, 13.6, letter, 9.5, color=BLUE)
        return svg(W, H, body)

    icons["naturalharmonic"] = harmonic("N", False)
    icons["artificialharmonic"] = harmonic("A", True)
    icons["slap"] = svg(W, H, text(14, 14.5, "Slap", 10, style="italic"))
    icons["pop"] = svg(W, H, text(14, 14.5, "Pop", 11, style="italic"))
    icons["bend"] = svg(W, H, path("M3,17 H10 Q18,17 18,6", stroke=BLUE, width=1.8)
                        + arrowhead(18, 2, -90, 4.0, BLUE) + text(24.5, 8, "½", 7, weight="normal"))
    icons["heldbend"] = svg(W, H, path("M3,17 H6 Q11,17 11,7", stroke=BLUE, width=1.8)
                            + arrowhead(11, 3, -90, 4.0, BLUE)
                            + line(13, 4, 26, 4, color=BLUE, width=1.6, extra='stroke-dasharray="2.2,2"'))
    icons["release"] = svg(W, H, line(3, 4, 10, 4, color=BLUE, width=1.6, extra='stroke-dasharray="2.2,2"')
                           + path("M11,4 Q19,4 19,13", stroke=BLUE, width=1.8) + arrowhead(19, 17.5, 90, 4.0, BLUE))
    icons["bendrelease"] = svg(W, H, path("M2.5,17.5 Q8,17.5 9.5,5.5", stroke=BLUE, width=1.7)
                               + arrowhead(10, 2.0, -80, 3.6, BLUE)
                               + path("M13.5,3.5 Q20,3.5 21.5,13.5", stroke=BLUE, width=1.7)
                               + arrowhead(22, 17.5, 80, 3.6, BLUE))
    wave = "M2,10"
    for i in range(6):
        wave += f" q2,{-4 if i % 2 == 0 else 4} 4,0"
    icons["vibrato"] = svg(W, H, path(wave, stroke=INK, width=2.0))
    zig = "M2,10 L5,5 L9,15 L13,5 L17,15 L21,5 L25,15 L26.5,12"
    icons["tremolobar"] = svg(W, H, path(zig, stroke=BLUE, width=1.8))
    icons["bardip"] = svg(W, H, path("M2,5 H9 L14,16 L19,5 H26", stroke=BLUE, width=2.0))
    icons["palmmute"] = svg(W, H, text(13, 12.5, "P.M.", 10)
                            + line(3, 16.5, 25, 16.5, color=INK, width=1.2, extra='stroke-dasharray="2.5,2"'))
    return icons


# --------------------------------------------------- settings and playback 34x28

def settings_icons():
    W, H = 34, 28
    icons = {}
    icons["play"] = svg(W, H, path("M11,5 L26,14 L11,23 Z", fill=GREEN, stroke="#1d5e22", width=1.2))
    icons["playfromstart"] = svg(W, H, f'<rect x="7" y="6" width="3.2" height="16" fill="#1d5e22"/>\n'
                                 + path("M13,5 L27,14 L13,23 Z", fill=GREEN, stroke="#1d5e22", width=1.2))
    icons["stop"] = svg(W, H, f'<rect x="10" y="7" width="14" height="14" rx="1.5" fill="{RED}" stroke="#6e1510" '
                              f'stroke-width="1.2"/>\n')
    icons["gotostart"] = svg(W, H, f'<rect x="6" y="7" width="3" height="14" fill="{INK}"/>\n'
                             + path("M18,7 L10,14 L18,21 Z", fill=INK, width=1.0)
                             + path("M27,7 L19,14 L27,21 Z", fill=INK, width=1.0))
    icons["gotoend"] = svg(W, H, path("M7,7 L15,14 L7,21 Z", fill=INK, width=1.0)
                           + path("M16,7 L24,14 L16,21 Z", fill=INK, width=1.0)
                           + f'<rect x="25" y="7" width="3" height="14" fill="{INK}"/>\n')
    loop = path("M24.5,9.5 A8,8 0 1 0 25,17", stroke=BLUE, width=2.4) + arrowhead(26.6, 5.4, -70, 5.0, BLUE)
    icons["loop"] = svg(W, H, loop)
    guitar = (f'<g transform="rotate(-40 17 14)">\n'
              f'<rect x="18" y="12.6" width="14" height="2.8" fill="#5b3a1a"/>\n'
              f'<rect x="30.5" y="11.6" width="3" height="4.8" rx="0.8" fill="#3d2610"/>\n'
              f'<circle cx="9.5" cy="14" r="6.4" fill="{ORANGE}" stroke="#7a4310" stroke-width="1"/>\n'
              f'<circle cx="15.5" cy="14" r="4.6" fill="{ORANGE}" stroke="#7a4310" stroke-width="1"/>\n'
              f'<ellipse cx="12.6" cy="14" rx="5.2" ry="4.2" fill="{ORANGE}"/>\n'
              f'<circle cx="14.4" cy="14" r="1.7" fill="#3d2610"/>\n'
              f'</g>\n')
    swap = path("M21,22 H29", stroke=BLUE, width=1.4) + arrowhead(31, 22, 0, 3.2, BLUE)
    swap += path("M29,26 H21", stroke=BLUE, width=1.4) + arrowhead(19, 26, 180, 3.2, BLUE)
    icons["changeinstrument"] = svg(W, H, guitar + swap)
    sig = "".join(line(5, y, 29, y, color=GREY, width=0.8) for y in (5, 9.5, 14, 18.5, 23))
    sig += text(17, 13.2, "4", 12.5, family="Liberation Serif") + text(17, 25.5, "4", 12.5, family="Liberation Serif")
    icons["signature"] = svg(W, H, sig)
    metro = path("M10,25 L14,3.5 H20 L24,25 Z", fill="#c98a4b", stroke="#5b3a1a", width=1.2)
    metro += f'<rect x="9" y="22" width="16" height="3.5" rx="1" fill="#5b3a1a"/>\n'
    metro += line(17, 20, 25, 5, color=INK, width=1.5)
    metro += f'<rect x="20.2" y="9.6" width="3.6" height="3" rx="0.6" transform="rotate(28 22 11)" fill="{INK}"/>\n'
    icons["tempo"] = svg(W, H, metro)

    def repeat(start):
        body = "".join(line(4, y, 30, y, color=GREY, width=0.8) for y in (5, 9.5, 14, 18.5, 23))
        thick_x, thin_x, dot_x = (9, 15.5, 20.5) if start else (22, 18.5, 13.5)
        body += f'<rect x="{thick_x}" y="5" width="3.4" height="18" fill="{INK}"/>\n'
        body += line(thin_x, 5, thin_x, 23, width=1.2)
        body += f'<circle cx="{dot_x}" cy="11.8" r="1.9" fill="{INK}"/>\n<circle cx="{dot_x}" cy="16.2" r="1.9" fill="{INK}"/>\n'
        return svg(W, H, body)

    icons["repeatstart"] = repeat(True)
    icons["repeatend"] = repeat(False)
    mixer = ""
    for x, knob in ((9, 16), (17, 8), (25, 13)):
        mixer += line(x, 4, x, 24, color="#59607a", width=1.6)
        mixer += f'<rect x="{x - 3.5}" y="{knob - 2}" width="7" height="4" rx="1" fill="{BLUE}" stroke="{INK}" stroke-width="0.7"/>\n'
    icons["volumes"] = svg(W, H, mixer)
    capo = f'<rect x="2" y="8" width="30" height="12" fill="#8a5a2b"/>\n'
    capo += "".join(line(x, 8, x, 20, color="#d8d8d8", width=1.2) for x in (8, 20, 30))
    capo += "".join(line(2, y, 32, y, color="#f0e6c8", width=0.7) for y in (9.8, 12.6, 15.4, 18.2))
    capo += f'<rect x="12" y="4" width="5" height="20" rx="2" fill="{INK}"/>\n'
    capo += f'<rect x="13" y="1" width="3" height="4" rx="1" fill="{RED}"/>\n'
    icons["capo"] = svg(W, H, capo)
    fork = path("M12,2.5 V14 Q12,19.5 17,19.5 Q22,19.5 22,14 V2.5", stroke="#50586e", width=2.6)
    fork += line(17, 19.5, 17, 26, color="#50586e", width=3.0)
    fork += path("M26,6 q2.5,2.5 0,5", stroke=BLUE, width=1.2) + path("M29,4 q4,4.5 0,9", stroke=BLUE, width=1.2)
    fork += path("M8,6 q-2.5,2.5 0,5", stroke=BLUE, width=1.2) + path("M5,4 q-4,4.5 0,9", stroke=BLUE, width=1.2)
    icons["tuning"] = svg(W, H, fork)
    pedal = f'<rect x="8.5" y="2" width="17" height="24" rx="3" fill="{ORANGE}" stroke="#7a4310" stroke-width="1.2"/>\n'
    for cx in (13, 21):
        pedal += f'<circle cx="{cx}" cy="7.5" r="2.6" fill="{INK}"/>\n' + line(cx, 7.5, cx + 1.2, 5.6, color="white", width=0.8)
    pedal += f'<rect x="11" y="12.5" width="12" height="2" rx="1" fill="#7a4310"/>\n'
    pedal += f'<circle cx="17" cy="20.5" r="3.4" fill="#d6d6d6" stroke="{INK}" stroke-width="1"/>\n'
    icons["effects"] = svg(W, H, pedal)

    def magnifier(plus):
        body = f'<circle cx="14" cy="12" r="8" fill="#eef4ff" stroke="{INK}" stroke-width="2"/>\n'
        body += line(20, 18, 27, 25, width=3.6)
        body += line(10, 12, 18, 12, color=BLUE, width=2.2)
        if plus:
            body += line(14, 8, 14, 16, color=BLUE, width=2.2)
        return svg(W, H, body)

    icons["zoomin"] = magnifier(True)
    icons["zoomout"] = magnifier(False)
    multi = ""
    for top in (3.5, 16):
        multi += "".join(line(8, top + i * 2.2, 30, top + i * 2.2, color=INK, width=0.9) for i in range(5))
        multi += line(8, top, 8, top + 8.8, width=1.2) + line(30, top, 30, top + 8.8, width=1.2)
    multi += path("M5,3.5 Q3,3.5 3,8 V12 Q3,14 1.5,14.2 Q3,14.4 3,16.5 V21 Q3,25.3 5,25.3", stroke=BLUE, width=1.3)
    icons["multitrack"] = svg(W, H, multi)
    return icons


# ------------------------------------------------------------- standard 16x15

def standard_icons():
    W, H = 16, 15
    icons = {}
    page = path("M3,0.5 H10 L13,3.5 V14.5 H3 Z", fill="white", stroke=INK, width=1.0) + path("M10,0.5 V3.5 H13", width=0.9)
    icons["new"] = svg(W, H, page + f'<circle cx="12.5" cy="11.5" r="2.6" fill="#f2c200" stroke="#8a6d00" stroke-width="0.6"/>\n')
    icons["open"] = svg(W, H, path("M1,3 H5.5 L7,4.5 H13 V13.5 H1 Z", fill="#e9c46a", stroke="#7a5c10", width=1.0)
                        + path("M3,7 H15.5 L13,13.5 H1 Z", fill="#f4d98b", stroke="#7a5c10", width=1.0))
    floppy = f'<rect x="1" y="1" width="13.5" height="13" rx="1.2" fill="{BLUE}" stroke="#0f2a5c" stroke-width="0.9"/>\n'
    floppy += f'<rect x="4" y="1.5" width="7.5" height="4.5" fill="#dfe7f5"/>\n<rect x="8.5" y="2.2" width="1.8" height="3" fill="{BLUE}"/>\n'
    floppy += f'<rect x="3.5" y="8.5" width="8.5" height="5.5" fill="white"/>\n'
    icons["save"] = svg(W, H, floppy)
    scissors = line(4.5, 1, 10.5, 10, width=1.3) + line(11.5, 1, 5.5, 10, width=1.3)
    scissors += f'<circle cx="4.5" cy="11.5" r="2.3" fill="none" stroke="{RED}" stroke-width="1.3"/>\n'
    scissors += f'<circle cx="11.5" cy="11.5" r="2.3" fill="none" stroke="{RED}" stroke-width="1.3"/>\n'
    icons["cut"] = svg(W, H, scissors)
    copy = path("M1,0.5 H7.5 L9.5,2.5 V10 H1 Z", fill="white", stroke=INK, width=0.9)
    copy += path("M6,4.5 H12.5 L14.5,6.5 V14.5 H6 Z", fill="white", stroke=INK, width=0.9)
    copy += "".join(line(7.5, y, 12.5, y, color=GREY, width=0.8) for y in (8.5, 10.5, 12.5))
    icons["copy"] = svg(W, H, copy)
    paste = f'<rect x="1.5" y="2" width="10" height="12.5" rx="1" fill="#c98a4b" stroke="#5b3a1a" stroke-width="0.9"/>\n'
    paste += f'<rect x="4" y="0.8" width="5" height="2.6" rx="0.8" fill="#777" stroke="{INK}" stroke-width="0.6"/>\n'
    paste += path("M7,6 H12.5 L14.5,8 V14.5 H7 Z", fill="white", stroke=INK, width=0.9)
    icons["paste"] = svg(W, H, paste)
    printer = f'<rect x="4" y="0.8" width="8" height="5" fill="white" stroke="{INK}" stroke-width="0.9"/>\n'
    printer += f'<rect x="1" y="5.5" width="14" height="6" rx="1" fill="#9aa3b5" stroke="{INK}" stroke-width="0.9"/>\n'
    printer += f'<rect x="4" y="9.5" width="8" height="5" fill="white" stroke="{INK}" stroke-width="0.9"/>\n'
    printer += f'<circle cx="12.8" cy="7.5" r="0.8" fill="{GREEN}"/>\n'
    icons["print"] = svg(W, H, printer)
    icons["help"] = svg(W, H, f'<circle cx="8" cy="7.5" r="6.8" fill="{BLUE}"/>\n' + text(8, 11.6, "?", 11.5, color="white"))

    def turn(back):
        # A hooked arrow: back to the left for undo, on to the right for redo.
        d = "M12.5,12.5 C14.5,7 11,3.8 7,3.8 H4" if back else "M3.5,12.5 C1.5,7 5,3.8 9,3.8 H12"
        tip = (1.6, 3.8, 180) if back else (14.4, 3.8, 0)
        return svg(W, H, path(d, stroke=BLUE, width=1.9) + arrowhead(*tip, size=3.6, color=BLUE))
    icons["undo"] = turn(True)
    icons["redo"] = turn(False)
    return icons


def app_icon():
    body = ('<defs><linearGradient id="pick" x1="0" y1="0" x2="1" y2="1">'
            '<stop offset="0" stop-color="#f3a545"/><stop offset="1" stop-color="#c4571b"/></linearGradient></defs>\n')
    body += path("M32,61 C22,52 5,33 6,17 C7,6 18,3 32,3 C46,3 57,6 58,17 C59,33 42,52 32,61 Z",
                 fill="url(#pick)", stroke="#7a3410", width=2)
    for y in (16, 24, 32, 40):
        body += line(14, y, 50, y, color="#fff6e8", width=1.6)
    body += f'<circle cx="25" cy="24" r="5" fill="#fff6e8"/>\n' + text(25, 27.6, "5", 10, color="#7a3410")
    body += f'<circle cx="39" cy="32" r="5" fill="#fff6e8"/>\n' + text(39, 35.6, "7", 10, color="#7a3410")
    body += path("M27,19 C30,14 36,14 38,25", stroke="#fff6e8", width=1.6)
    return svg(64, 64, body)


def main():
    os.makedirs(OUT, exist_ok=True)
    icons = {}
    for group in (rhythm_icons(), attribute_icons(), settings_icons(), standard_icons()):
        icons.update(group)
    icons["fretlark"] = app_icon()
    for name, content in sorted(icons.items()):
        with open(os.path.join(OUT, name + ".svg"), "w", encoding="utf-8") as f:
            f.write(content)
    names = sorted(icons)
    with open(os.path.join(OUT, "..", "icons.qrc"), "w", encoding="utf-8") as f:
        f.write("<!DOCTYPE RCC>\n<RCC version=\"1.0\">\n<qresource prefix=\"/\">\n")
        for n in names:
            f.write(f"  <file>icons/{n}.svg</file>\n")
        f.write("</qresource>\n</RCC>\n")
    print(f"{len(icons)} images written to {os.path.normpath(OUT)}", file=sys.stderr)


if __name__ == "__main__":
    main()
