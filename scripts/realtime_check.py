#!/usr/bin/env python3
"""Measures the real window on the simulated board in real time at 1.28 kHz (one pulse's
scans take 0.8 s): how soon Abort stops an equalisation, and how far apart the pulses of a
repetitive run with a 1 s period start. Needs a built tree (krx8, libdaqx.so) and xdotool;
starts Xvfb on :97 when no DISPLAY is set. Times come from the simulator's call log."""
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BUILD = os.path.join(ROOT, "build")
STAMP = re.compile(r"^(\w+)\((.*)\) = (-?\d+) @([0-9.]+)$")


def calls(log):
    out = []
    with open(log) as f:
        for line in f:
            m = STAMP.match(line.strip())
            if m:
                out.append((float(m.group(4)), m.group(1), m.group(2)))
    return out


def main():
    xvfb = None
    display = os.environ.get("DISPLAY")
    if not display:
        display = ":97"
        xvfb = subprocess.Popen(["Xvfb", display, "-screen", "0", "1280x900x24"],
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        time.sleep(1)
    work = tempfile.mkdtemp(prefix="krx8-realtime-")
    for name in ("KRXFileC.000", "KRX8Cal.Dat"):
        shutil.copy(os.path.join(ROOT, "sample", name), work)
    # Rows 5, 6, 7, 13: repetitive, 1 s period, 5 pulses, 1.28 kHz.
    profile = os.path.join(work, "KRXFileC.000")
    lines = open(profile, newline="").read().split("\r\n")
    for row, value in ((5, "2"), (6, "1"), (7, "5"), (13, "1")):
        fields = lines[row - 1].split(",")
        fields[0] = value
        lines[row - 1] = ",".join(fields)
    open(profile, "w", newline="").write("\r\n".join(lines))
    log = os.path.join(work, "calls.log")
    env = dict(os.environ, DISPLAY=display, DAQSIM_REALTIME="1", DAQSIM_LOG=log,
               KRX8_DAQX_LIBRARY=os.path.join(BUILD, "libdaqx.so"))
    prog = subprocess.Popen([os.path.join(BUILD, "krx8"), "--no-splash"], cwd=work, env=env)
    ok = True
    try:
        win = subprocess.run(["xdotool", "search", "--sync", "--onlyvisible", "--name", "KRX-8"],
                             env=env, capture_output=True, text=True, timeout=30).stdout.split()[0]
        time.sleep(2)  # the start-up's acquisition

        def key(k):
            subprocess.run(["xdotool", "windowfocus", "--sync", win], env=env)
            t = time.time()
            subprocess.run(["xdotool", "key", k], env=env)
            return t

        # Abort pressed during the equalisation passes ("E" runs them at once).
        key("E")
        time.sleep(3.3)
        pressed = key("A")
        time.sleep(3)
        after = [c for c in calls(log) if c[0] >= pressed]
        disarm = next(c for c in after if c[1] in ("daqDacWaveDisarm", "daqAdcDisarm"))
        fired = [c for c in after if c[1] == "daqDacWaveSoftTrig" and c[0] > disarm[0]]
        latency = (disarm[0] - pressed) * 1000
        print("Abort during equalisation: disarmed %.1f ms after the key, %d pulses after it"
              % (latency, len(fired)))
        ok &= latency <= 100 and not fired

        # A full equalisation, then a repetitive run of five pulses with a 1 s period.
        key("E")
        time.sleep(19)
        started = key("S")
        time.sleep(6.5)
        starts = [c[0] for c in calls(log) if c[1] == "daqDacWaveSoftTrig" and c[0] >= started]
        gaps = [b - a for a, b in zip(starts, starts[1:])]
        print("Repetitive run: %d pulses, starts %s s apart"
              % (len(starts), ", ".join("%.3f" % g for g in gaps)))
        ok &= len(starts) == 5 and all(abs(g - 1.0) <= 0.05 for g in gaps)
    finally:
        prog.terminate()
        prog.wait(timeout=10)
        if xvfb:
            xvfb.terminate()
    print("OK" if ok else "OUT OF BOUNDS", "(log in %s)" % log)
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
