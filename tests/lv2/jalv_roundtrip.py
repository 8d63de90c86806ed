#!/usr/bin/python3
"""Plays seeded MIDI through the built LV2 bundle inside an independent host, jalv on a JACK server
with the dummy driver, and compares what comes out with the processor called directly
(QuorvanelleMidiDump) on the same stream.

A small JACK client plays the stream, one block per JACK period, into jalv's MIDI input; a second
client, which the graph orders after jalv, records jalv's MIDI output in the same period. Both count
periods from the one in which the stream starts, so every event has a block and a position, and the
comparison is exact: notes, order, velocities, channels and sample positions. The dummy driver runs in
real time, but it never splits a period, so positions within a period are the harness's own.

The engine latches chords on a tick counted from the instance's creation, and jalv's instance runs for
an unknown number of periods before the stream starts; so every melody and control key is pressed
while a chord key is held, which makes the output independent of the tick's phase.

    jalv_roundtrip.py --dump QuorvanelleMidiDump --bundle BUNDLE_DIR [--seeds N] [--work DIR]
"""

import argparse
import difflib
import os
import random
import re
import subprocess
import sys
import tempfile
import time

SKIP = 77
RATE = 48000
PERIOD = 1024
TAIL_BLOCKS = 8

try:
    import jack
except ImportError:
    print("python3-jack-client is not installed")
    sys.exit(SKIP)


def make_stream(seed):
    """Phrases: a chord is pressed, melody and control keys are played over it, everything is let go.
    Returns the blocks as lists of (position, bytes)."""
    rng = random.Random(seed)
    events = []  # (absolute sample, bytes)
    t = rng.randrange(0, PERIOD)
    for _ in range(rng.randrange(3, 7)):
        channel = rng.randrange(16)
        chord = sorted(rng.sample(range(36, 72), rng.randrange(1, 4)))
        for key in chord:
            events.append((t, bytes([0x90 | channel, key, rng.randrange(1, 128)])))
            t += rng.randrange(0, 40)
        t += rng.randrange(1, 200)
        held = []
        for _ in range(rng.randrange(2, 9)):
            key = rng.choice([85, 87, 97, 99] + [k for k in range(84, 128) if k % 12 in (0, 2, 4, 5, 7, 9, 11)])
            melody_channel = rng.randrange(16)
            events.append((t, bytes([0x90 | melody_channel, key, rng.randrange(1, 128)])))
            held.append((key, melody_channel))
            t += rng.randrange(1, 700)
            if held and rng.random() < 0.6:
                k, c = held.pop(rng.randrange(len(held)))
                off = bytes([0x80 | c, k, 64]) if rng.random() < 0.5 else bytes([0x90 | c, k, 0])
                events.append((t, off))
                t += rng.randrange(1, 300)
        if rng.random() < 0.5:
            events.append((t, bytes([0xB0 | channel, 1, rng.randrange(128)])))
        for k, c in held:
            events.append((t, bytes([0x80 | c, k, 0])))
            t += rng.randrange(0, 50)
        for key in chord:
            events.append((t, bytes([0x80 | channel, key, 0])))
            t += rng.randrange(0, 50)
        t += rng.randrange(1, 3000)
    num_blocks = t // PERIOD + 1 + TAIL_BLOCKS
    blocks = [[] for _ in range(num_blocks)]
    for when, data in events:
        blocks[when // PERIOD].append((when % PERIOD, data))
    return blocks


def script(name, blocks):
    lines = [f"stream {name}", f"prepare {RATE} {PERIOD}"]
    for block in blocks:
        lines.append(f"block {PERIOD}")
        lines += [f"event {pos} " + " ".join(f"{b:02x}" for b in data) for pos, data in block]
    return "\n".join(lines) + "\n"


def as_text(name, recorded, num_blocks):
    lines = [f"stream {name}"]
    for index in range(num_blocks):
        lines.append(f"block {index} {PERIOD}")
        lines += ["  " + str(pos) + "".join(f" {b:02x}" for b in data) for pos, data in recorded.get(index, [])]
    return "\n".join(lines) + "\n"


class JackRun:
    """A private JACK server with the dummy driver and jalv on it; ended on exit."""

    def __init__(self, bundle, work):
        self.server = f"quorvanelle-{os.getpid()}"
        self.env = dict(os.environ, JACK_NO_AUDIO_RESERVATION="1", JACK_DEFAULT_SERVER=self.server,
                        LV2_PATH=os.path.dirname(os.path.abspath(bundle)))
        self.bundle = bundle
        self.work = work
        self.processes = []

    def __enter__(self):
        self.jackd_log = open(os.path.join(self.work, "jackd.log"), "w")
        self.processes.append(subprocess.Popen(
            ["jackd", "-n", self.server, "-r", "-t", "10000", "-d", "dummy", "-r", str(RATE), "-p", str(PERIOD)],
            env=self.env, stdin=subprocess.DEVNULL, stdout=self.jackd_log, stderr=subprocess.STDOUT))
        self.client = self._connect("harness")
        return self

    def _connect(self, name):
        deadline = time.monotonic() + 20
        while True:
            try:
                return jack.Client(name, no_start_server=True, servername=self.server)
            except jack.JackError:
                if time.monotonic() > deadline or self.processes[0].poll() is not None:
                    raise RuntimeError("the JACK server did not start: " + open(self.jackd_log.name).read())
                time.sleep(0.2)

    def start_jalv(self, uri, name):
        log = open(os.path.join(self.work, f"{name}.log"), "w")
        self.processes.append(subprocess.Popen(["jalv", "-i", "-x", "-n", name, uri], env=self.env,
                                               stdin=subprocess.DEVNULL, stdout=log, stderr=subprocess.STDOUT))
        deadline = time.monotonic() + 30
        while time.monotonic() < deadline:
            inputs = self.client.get_ports(name + ":", is_midi=True, is_input=True)
            outputs = self.client.get_ports(name + ":", is_midi=True, is_output=True)
            if inputs and outputs:
                return inputs[0].name, outputs[0].name
            if self.processes[-1].poll() is not None:
                break
            time.sleep(0.2)
        raise RuntimeError("jalv did not come up: " + open(log.name).read())

    def __exit__(self, *exc):
        self.client.close()
        for process in reversed(self.processes):
            process.terminate()
            try:
                process.wait(10)
            except subprocess.TimeoutExpired:
                process.kill()
                process.wait()
        self.jackd_log.close()


class PlayAndRecord:
    """Two JACK clients: one plays the blocks into jalv, one records jalv's output, period by period."""

    def __init__(self, run, jalv_in, jalv_out):
        self.player = run._connect("player")
        self.recorder = run._connect("recorder")
        self.out = self.player.midi_outports.register("out")
        self.inp = self.recorder.midi_inports.register("in")
        self.blocks = []
        self.next_block = None
        self.start_frame = None
        self.recorded = {}
        self.player.set_process_callback(self._play)
        self.recorder.set_process_callback(self._record)
        self.player.activate()
        self.recorder.activate()
        self.player.connect(self.out, jalv_in)
        self.recorder.connect(jalv_out, self.inp)

    def _play(self, frames):
        self.out.clear_buffer()
        if self.next_block is None:
            return
        if self.start_frame is None:
            self.start_frame = self.player.last_frame_time
        if self.next_block < len(self.blocks):
            for pos, data in self.blocks[self.next_block]:
                self.out.write_midi_event(pos, data)
            self.next_block += 1

    def _record(self, frames):
        start = self.start_frame
        if start is None:
            return
        index = (self.recorder.last_frame_time - start) // PERIOD
        for pos, data in self.inp.incoming_midi_events():
            self.recorded.setdefault(index, []).append((pos, bytes(data)))

    def play(self, blocks):
        self.recorded = {}
        self.start_frame = None
        self.blocks = blocks
        self.next_block = 0
        deadline = time.monotonic() + 10 + 2 * len(blocks) * PERIOD / RATE
        while self.next_block < len(blocks) and time.monotonic() < deadline:
            time.sleep(0.05)
        time.sleep(4 * PERIOD / RATE)
        played = self.next_block
        self.next_block = None
        if played != len(blocks):
            raise RuntimeError(f"played only {played} of {len(blocks)} blocks")
        return dict(self.recorded)

    def close(self):
        self.player.deactivate()
        self.recorder.deactivate()
        self.player.close()
        self.recorder.close()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--dump", required=True)
    parser.add_argument("--bundle", required=True)
    parser.add_argument("--seeds", type=int, default=12)
    parser.add_argument("--work")
    args = parser.parse_args()

    for tool in ("jackd", "jalv"):
        if subprocess.run(["which", tool], capture_output=True).returncode != 0:
            print(f"{tool} is not installed")
            return SKIP

    with open(os.path.join(args.bundle, "manifest.ttl")) as manifest:
        uri = re.search(r"^<([^>]+)>\s*\n\s*a lv2:Plugin", manifest.read(), re.M).group(1)

    work = args.work or tempfile.mkdtemp(prefix="quorvanelle-jalv-")
    os.makedirs(work, exist_ok=True)
    streams = [(f"jalv-{seed}", make_stream(seed)) for seed in range(args.seeds)]
    script_path = os.path.join(work, "streams.txt")
    with open(script_path, "w") as f:
        f.write("".join(script(name, blocks) for name, blocks in streams))
    reference = subprocess.run([args.dump, script_path], capture_output=True, text=True, check=True).stdout
    expected = {m.group(1): m.group(0) for m in re.finditer(r"^stream (\S+)\n(?:(?!stream ).*\n)*", reference, re.M)}

    failures = 0
    notes = 0
    with JackRun(args.bundle, work) as run:
        jalv_in, jalv_out = run.start_jalv(uri, f"quorvanelle-jalv-{os.getpid()}")
        harness = PlayAndRecord(run, jalv_in, jalv_out)
        try:
            for name, blocks in streams:
                actual = as_text(name, harness.play(blocks), len(blocks))
                notes += sum(1 for line in actual.splitlines() if re.match(r"^  \d+ [89]", line))
                if actual != expected.get(name):
                    failures += 1
                    print(f"{name}: jalv and the processor differ")
                    sys.stdout.writelines(difflib.unified_diff(
                        expected.get(name, "").splitlines(True), actual.splitlines(True),
                        "processor called directly", "jalv", n=2))
        finally:
            harness.close()

    print(f"{len(streams)} streams through jalv, {notes} note messages out, {failures} differing")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
