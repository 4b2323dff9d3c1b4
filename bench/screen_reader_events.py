#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
# Plays whole games of Зарвики by keyboard, as a blind player would, and counts the accessibility
# events each key sends to a screen reader: it listens on the AT-SPI bus for the very events Orca 43
# listens for, presses keys with xdotool, and after each key waits until the bus is quiet.
#
#   screen_reader_events.py GAME GAMES OUT.json [PACE_MS]
#   screen_reader_events.py summary OUT.json...      (a table per kind of key and per kind of event)
#   screen_reader_events.py latency OUT.json ORCA_DEBUG_LOG   (when Orca spoke each outcome)
#
# With PACE_MS the keys come every PACE_MS milliseconds, as a player presses them, instead of
# after the bus is quiet (bench/orca-latency).
#
# Runs inside an X server with an AT-SPI bus (bench/screen-reader-events sets them up). The player
# takes every die offered, stands after two throws that offered dice, and plays the computer's
# turn with Space; a game ends at "Сохронить результат" or on a die that reads "игра окончена".
import json
import os
import subprocess
import sys
import time
from datetime import datetime

import pyatspi
from gi.repository import GLib

# The events Orca 43's default script listens for.
ORCA_EVENTS = [
    "focus:", "document:reload", "document:load-complete", "document:load-stopped",
    "object:property-change:accessible-name", "object:property-change:accessible-description",
    "object:text-caret-moved", "object:text-changed:delete", "object:text-changed:insert",
    "object:active-descendant-changed", "object:children-changed:add", "object:children-changed:remove",
    "object:state-changed:active", "object:state-changed:busy", "object:state-changed:focused",
    "object:state-changed:showing", "object:state-changed:checked", "object:state-changed:pressed",
    "object:state-changed:indeterminate", "object:state-changed:expanded", "object:state-changed:selected",
    "object:state-changed:sensitive", "object:text-attributes-changed", "object:text-selection-changed",
    "object:selection-changed", "object:property-change:accessible-value", "object:value-changed",
    "object:column-reordered", "object:row-reordered", "window:activate", "window:deactivate",
    "window:create", "window:destroy",
]

QUIET_MS = 250      # the bus is quiet after this long without an event
LONGEST_MS = 3000   # and a key is given up on after this long


class Listener:
    def __init__(self):
        self.events = []            # (kind, time) since the last key
        self.focused = ("", "")     # name and description of the focused control
        self.last_event = 0.0

    def __call__(self, event):
        kind = event.type
        if os.environ.get("WITH_SOURCES"):
            try:
                kind = f"{kind} [{event.source.name}] {event.detail1}"
            except Exception:
                pass
        self.events.append(str(kind))
        self.last_event = time.monotonic()
        if event.type.startswith("focus") or (event.type == "object:state-changed:focused" and event.detail1):
            try:
                self.focused = (event.source.name or "", event.source.description or "")
            except Exception:
                pass


def pump(ms):
    ctx = GLib.MainContext.default()
    end = time.monotonic() + ms / 1000
    while time.monotonic() < end:
        while ctx.pending():
            ctx.iteration(False)
        time.sleep(0.002)


def wait_quiet(listener):
    start = time.monotonic()
    listener.last_event = start
    while True:
        pump(10)
        now = time.monotonic()
        if now - listener.last_event > QUIET_MS / 1000 or now - start > LONGEST_MS / 1000:
            return


def key(name):
    subprocess.run(["xdotool", "key", "--clearmodifiers", name], check=True)


def play(game, listener, record, pace):
    proc = subprocess.Popen([game], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        pump(2500)                     # the registration window, its name box focused
        key("Return")                  # "ОК": the table window opens on "Скинуть !"
        wait_quiet(listener)
        throws_offering = 0
        for _ in range(1500):
            name, description = listener.focused
            if name.startswith("Сохронить") or description == "игра окончена":
                pump(1500)             # the victory's news may still be on its way
                return True
            if name.startswith("Кубик"):
                kind, keys = "Space on a die (take)", ["space"]
            elif name.startswith("Скинуть"):
                if throws_offering >= 2:
                    kind, keys = "Tab to Хватит", ["Tab"]
                else:
                    kind, keys = "Space on Скинуть (throw)", ["space"]
            elif name.startswith("Хватит"):
                kind, keys = "Space on Хватит (stand)", ["space"]
                throws_offering = 0
            elif name.startswith("Ход компа"):
                kind, keys = "Space on Ход компа (computer)", ["space"]
            else:
                kind, keys = "Tab (elsewhere)", ["Tab"]
            listener.events = []
            pressed = datetime.now().strftime("%H:%M:%S.%f")
            key(keys[0])
            if pace:
                pump(pace)
            else:
                wait_quiet(listener)
            if kind.startswith("Space on Скинуть") and listener.focused[0].startswith("Кубик"):
                throws_offering += 1
            if kind.startswith("Space on Скинуть") and listener.focused[0].startswith("Ход компа"):
                throws_offering = 0
            record.append({"key": kind, "at": pressed, "events": list(listener.events)})
        return False
    finally:
        proc.terminate()
        proc.wait()


def percentile(values, p):
    values = sorted(values)
    return values[min(len(values) - 1, int(p / 100 * len(values)))] if values else 0


def summary(paths):
    for path in paths:
        with open(path) as f:
            run = json.load(f)
        keys = run["keys"]
        print(f"{path}: {run['finished']} of {run['games']} games to the end, {len(keys)} keys")
        print(f"  {'key':32} {'keys':>5} {'mean':>6} {'p90':>4} {'max':>4}")
        kinds = sorted({k["key"] for k in keys}) + ["all keys"]
        for kind in kinds:
            counts = [len(k["events"]) for k in keys if kind == "all keys" or k["key"] == kind]
            print(f"  {kind:32} {len(counts):5} {sum(counts) / len(counts):6.1f} {percentile(counts, 90):4} "
                  f"{max(counts):4}")
            if kind != "all keys" and os.environ.get("BY_KIND"):
                per = {}
                for k in keys:
                    if k["key"] == kind:
                        for e in k["events"]:
                            per[e] = per.get(e, 0) + 1
                print("      " + ", ".join(f"{e.split(':')[-1] or e} {n / len(counts):.1f}" for e, n in per.items()))
        totals = {}
        for k in keys:
            for e in k["events"]:
                totals[e] = totals.get(e, 0) + 1
        for e, n in sorted(totals.items(), key=lambda t: -t[1]):
            print(f"  {e:50} {n:6}")


# The news of each kind of action, as the notification words it.
OUTCOMES = [
    ("victory", ("ПОБЕДИЛ", "Победил  компьютер")),
    ("round", ("Раунд выиграл",)),
    ("throw", ("Бросок:",)),
    ("take", (" взят: ",)),
    ("bust", ("Сгорел:",)),
    ("computer's bank or bust", ("Компьютер записал", "Компьютер сгорел")),
    ("stand", ("Записано",)),
    ("computer's throw", ("Компьютер отложил", "Компьютер ничего не отложил")),
]


def seconds(clock):
    h, m, s = clock.split(":")
    return int(h) * 3600 + int(m) * 60 + float(s)


def latency(keys_path, log_path):
    with open(keys_path) as f:
        keys = [k for k in json.load(f)["keys"] if k["key"].startswith("Space")]
    spoken = []  # (time, text) of every utterance
    with open(log_path, errors="replace") as f:
        for line in f:
            if " - SPEECH OUTPUT: '" in line:
                clock, text = line.split(" - SPEECH OUTPUT: ", 1)
                spoken.append((seconds(clock.strip()), text.strip()))
    found = {}
    for n, k in enumerate(keys):
        start = seconds(k["at"])
        end = seconds(keys[n + 1]["at"]) if n + 1 < len(keys) else start + 5
        said = [(t, text) for t, text in spoken if start <= t < end]
        kind, at = None, None
        for t, text in said:
            kind = next((c for c, marks in OUTCOMES if any(m in text for m in marks)), None)
            if kind:
                at = (t - start) * 1000
                break
        # Nothing of the news heard before the next key: it was lost, or came too late.
        found.setdefault(kind or "unheard after " + k["key"], []).append(at)
    print(f"  {'outcome':36} {'in 500 ms':>10} {'median':>7} {'p95':>6} {'max':>6}")
    for kind in [c for c, _ in OUTCOMES] + sorted(k for k in found if k.startswith("unheard")):
        values = found.get(kind, [])
        heard = sorted(v for v in values if v is not None)
        within = sum(1 for v in heard if v <= 500)
        if values:
            print(f"  {kind:36} {within:4} / {len(values):<4} {percentile(heard, 50):7.0f} "
                  f"{percentile(heard, 95):6.0f} {max(heard) if heard else 0:6.0f}")


def main():
    if sys.argv[1] == "summary":
        return summary(sys.argv[2:])
    if sys.argv[1] == "latency":
        return latency(sys.argv[2], sys.argv[3])
    game, games, out = sys.argv[1], int(sys.argv[2]), sys.argv[3]
    pace = int(sys.argv[4]) if len(sys.argv) > 4 else 0
    listener = Listener()
    for e in ORCA_EVENTS:
        pyatspi.Registry.registerEventListener(listener, e)
    record = []
    finished = 0
    for _ in range(games):
        finished += play(game, listener, record, pace)
    with open(out, "w") as f:
        json.dump({"games": games, "finished": finished, "keys": record}, f)


if __name__ == "__main__":
    main()
