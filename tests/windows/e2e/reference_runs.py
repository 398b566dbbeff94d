#!/usr/bin/env python3
"""Prints the runs of the reference-frame test (tests/reference_frames_test.cpp, kRuns) as the
program's offline arguments, one run a line, so that other builds can render the same moments:
  <from> <to> <fps> <frame names...>
with the frame names of the moments (s<scene>-u<progress x 10000>), in the order they are written.
usage: reference_runs.py <source-dir>"""
import re
import sys
from pathlib import Path

source = Path(sys.argv[1])
driver = (source / "src/app/frame_driver.h").read_text()
beat = 60000.0 / 140.0
assert "kBeatMs = 60000.0 / 140.0" in driver, "frame_driver.h: the beat has changed"
ends_text = re.search(r"kSceneEnds\[12\] = \{(.*?)\};", driver, re.S).group(1)
ends = [beat * float(m) for m in re.findall(r"kBeatMs \* ([0-9.]+)", ends_text)]
assert len(ends) == 12, ends_text

test = (source / "tests/reference_frames_test.cpp").read_text()
table = re.search(r"const RenderRun kRuns\[\] = \{(.*?)\n\};", test, re.S).group(1)
runs = re.findall(r"\{(\d+), ([0-9.]+), ([0-9.]+), (\d+), \"", table)
assert runs, "no runs found in reference_frames_test.cpp"
for scene, u0, du, count in runs:
    scene, u0, du, count = int(scene), float(u0), float(du), int(count)
    start = 0.0 if scene == 1 else ends[scene - 2]
    length = ends[scene - 1] - start
    first = start + u0 * length
    step = du * length
    last = first + (count - 1 + 0.5) * step
    names = ["s%02d-u%04d" % (scene, round((u0 + k * du) * 10000)) for k in range(count)]
    print(repr(first), repr(last), repr(1000.0 / step), *names)
