#!/usr/bin/python3
"""pellum-cli pick against a picker written apart from it: generated .syx files and line lists,
each written as .syx and as .mid (read back by mido), and LINES it must refuse, naming the part."""
import mido, os, random, subprocess, sys, tempfile

def message(rng):
    return bytes([0xF0] + [rng.randrange(128) for _ in range(rng.choice([1, 4, 30, 300, 2000]))] + [0xF7])

def lines(rng, n):  # singles and ranges, out of order and overlapping, as a user may give them
    parts = []
    for _ in range(rng.randint(1, 5)):
        a = rng.randint(1, n)
        b = rng.randint(a, min(n, a + rng.randrange(6)))
        parts.append(str(a) if a == b or rng.random() < 0.3 else f"{a}-{b}")
    chosen = sorted({r for p in parts for r in range(int(p.split("-")[0]), int(p.split("-")[-1]) + 1)})
    return ",".join(parts), chosen

def run(cli, *args):
    return subprocess.run([cli, *args], capture_output=True, text=True)

def main(cli):
    rng, failures = random.Random(int(os.environ.get("SEED", "11"))), 0
    with tempfile.TemporaryDirectory() as d:
        src, syx, mid = (os.path.join(d, n) for n in ("in.syx", "out.syx", "out.mid"))
        for case in range(150):
            messages = [message(rng) for _ in range(rng.randint(1, 40))]
            open(src, "wb").write(b"".join(messages))
            spec, chosen = lines(rng, len(messages))
            want = [messages[r - 1] for r in chosen]
            for out in (syx, mid):
                r = run(cli, "pick", src, spec, "-o", out)
                got = (open(out, "rb").read() if out == syx else b"".join(
                    bytes([0xF0] + list(m.data) + [0xF7]) for m in mido.MidiFile(out).tracks[0]
                    if m.type == "sysex")) if r.returncode == 0 else r.stderr
                if got != b"".join(want):
                    failures += 1
                    print(f"case {case}: pick {spec} -o {os.path.basename(out)} of {len(messages)}")
        open(src, "wb").write(b"".join(message(rng) for _ in range(10)))
        for spec, status, part in [("3-x", 2, "'3-x'"), ("1,,2", 2, "''"), ("0", 2, "'0'"),
                                   ("5-3", 2, "'5-3'"), ("2,9-11", 1, "'9-11'"), ("0x3", 2, "'0x3'")]:
            r = run(cli, "pick", src, spec, "-o", syx)
            if r.returncode != status or part not in r.stderr:
                failures += 1
                print(f"LINES {spec}: exit {r.returncode}, {r.stderr.strip()}")
    print(f"{failures} failures")
    return 1 if failures else 0

sys.exit(main(sys.argv[1]))
