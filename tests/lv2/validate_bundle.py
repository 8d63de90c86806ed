#!/usr/bin/python3
"""Validates the built LV2 bundle's metadata with lv2_validate against the installed LV2 specifications.

JUCE generates the bundle's metadata itself, and some of what it writes is reported by the validator;
those reports are listed below, each with the reason. Any other report fails the test, and so does a
listed report that no longer appears (so that the list stays true).

    validate_bundle.py BUNDLE_DIR
"""

import glob
import os
import re
import subprocess
import sys

# (message, subject, property, object) with the plug-in's URI written as <plugin> and blank nodes as _.
KNOWN_FROM_JUCE = {
    # JUCE describes the maintainer and the release on the plug-in, which the doap vocabulary reserves
    # for a doap:Project.
    ("Subject not in domain <http://usefulinc.com/ns/doap#Project>", "<plugin>",
     "http://usefulinc.com/ns/doap#maintainer", "_"),
    ("Subject not in domain <http://usefulinc.com/ns/doap#Project>", "<plugin>",
     "http://usefulinc.com/ns/doap#release", "_"),
    # JUCE's UI description names ui:noUserResize as extension data and opts:interface as a feature.
    ("Object not in range <http://lv2plug.in/ns/lv2core#ExtensionData>", "<plugin>:UI",
     "http://lv2plug.in/ns/lv2core#extensionData", "http://lv2plug.in/ns/extensions/ui#noUserResize"),
    ("Object not in range <http://lv2plug.in/ns/lv2core#Feature>", "<plugin>:UI",
     "http://lv2plug.in/ns/lv2core#optionalFeature", "http://lv2plug.in/ns/ext/options#interface"),
    # JUCE stores the current program in its presets under a property it does not describe.
    ("Use of undefined property", "_", "<plugin>:Program", "0"),
    ("Property <<plugin>:Program> has no label", "_", "<plugin>:Program", "0"),
}


def normalise(text, uri):
    text = text.replace(uri, "<plugin>").replace("<<plugin>>", "<plugin>")
    return "_" if re.fullmatch(r"b\d+", text) else text


def reports(output, uri):
    found = []
    lines = output.splitlines()
    i = 0
    while i < len(lines):
        match = re.match(r"^(?:error|Error): (.*)$", lines[i])
        if not match:
            i += 1
            continue
        detail = []
        i += 1
        while i < len(lines) and (lines[i].startswith(" ") or lines[i] == "") and len(detail) < 3:
            if lines[i].strip():
                detail.append(lines[i].strip())
            i += 1
        detail += [""] * (3 - len(detail))
        found.append((normalise(match.group(1), uri),) + tuple(normalise(d, uri) for d in detail))
    return found


def main():
    bundle = sys.argv[1]
    ttl_files = sorted(glob.glob(os.path.join(bundle, "*.ttl")))
    if not ttl_files:
        print(f"No metadata in {bundle}")
        return 1
    with open(os.path.join(bundle, "manifest.ttl")) as manifest:
        uri = re.search(r"^<([^>]+)>\s*\n\s*a lv2:Plugin", manifest.read(), re.M).group(1)

    run = subprocess.run(["lv2_validate"] + ttl_files, capture_output=True, text=True)
    output = run.stdout + run.stderr
    found = reports(output, uri)
    summary = re.search(r"Found (\d+) errors? among (\d+) files", output)
    if summary is None:
        print(output)
        print("lv2_validate gave no summary")
        return 1

    unexpected = [r for r in found if r not in KNOWN_FROM_JUCE]
    gone = sorted(KNOWN_FROM_JUCE - set(found))
    print(f"lv2_validate: {summary.group(0)}; {len(found) - len(unexpected)} of them known from JUCE's metadata")
    for r in unexpected:
        print("UNEXPECTED:", " | ".join(r))
    for r in gone:
        print("NO LONGER REPORTED (remove it from the list):", " | ".join(r))
    if int(summary.group(1)) != len(found):
        print(output)
        print("Could not read every report")
        return 1
    return 1 if unexpected or gone else 0


if __name__ == "__main__":
    sys.exit(main())
