#!/usr/bin/python3
"""pellum-cli diff against a differ written apart from it, on generated pairs of files: the same,
a byte changed, messages inserted or removed, reordered Roland DT1 sets, and .mid (written by mido)
against .syx; --brief, and a file that cannot be read."""
import bisect, collections, mido, os, random, subprocess, sys, tempfile

NAMES = {0x41: "Roland(41H)", 0x42: "KORG(42H)", 0x43: "YAMAHA(43H)", 0x7E: "Universal Non-Real Time(7EH)"}
MODELS = [[0x42], [0x16], [0x6A], [0x46], [0x00, 0x30], [0x00, 0x00, 0x0E]]

def dt1_of(m):  # (key, address, data offset, data length) of a Roland DT1, else None
    if len(m) < 8 or m[1] != 0x41 or m[-1] != 0xF7 or max(m[2:-1]) > 127: return None
    i = 3
    while i + 1 < len(m) and m[i] == 0: i += 1
    model, cmd = m[3:i + 1], i + 1
    if cmd + 3 > len(m) or m[cmd] != 0x12: return None
    data = cmd + 1 + (4 if len(model) > 1 or model[0] in (0x46, 0x57, 0x6A) else 3)
    return (m[3:data], m[cmd + 1:data], data, len(m) - 2 - data) if data + 2 < len(m) else None

def plus(address, n):  # seven bits a byte, wrapping past the top
    v = (sum(b << 7 * k for k, b in enumerate(reversed(address))) + n) % (1 << 7 * len(address))
    return [(v >> 7 * k) & 127 for k in reversed(range(len(address)))]

def by_address(A, B):
    keys = [dt1_of(m) for m in A + B]
    if not A or not B or None in keys: return None
    waiting = collections.defaultdict(collections.deque)
    for j, m in enumerate(B): waiting[dt1_of(m)[0]].append(j)
    pairs = [(i, waiting[dt1_of(m)[0]].popleft() if waiting[dt1_of(m)[0]] else None) for i, m in enumerate(A)]
    return pairs + [(None, j) for j in range(len(B)) if j not in {p[1] for p in pairs}]

def patience(A, B, alo, ahi, blo, bhi, out):
    while alo < ahi and blo < bhi and A[alo] == B[blo]: out.append((alo, blo)); alo += 1; blo += 1
    tail = []
    while alo < ahi and blo < bhi and A[ahi - 1] == B[bhi - 1]: ahi -= 1; bhi -= 1; tail.append((ahi, bhi))
    ca, cb = collections.Counter(A[alo:ahi]), collections.Counter(B[blo:bhi])
    where = {B[j]: j for j in range(blo, bhi)}
    once = [(i, where[A[i]]) for i in range(alo, ahi) if ca[A[i]] == 1 and cb[A[i]] == 1]
    tops, top, back = [], [], []
    for k, (_, j) in enumerate(once):
        p = bisect.bisect_left(tops, j)
        back.append(top[p - 1] if p else None)
        tops[p:p + 1], top[p:p + 1] = [j], [k]
    run, k = [], top[-1] if top else None
    while k is not None: run.append(once[k]); k = back[k]
    if not run:
        n = min(ahi - alo, bhi - blo)
        out += [(alo + k, blo + k) for k in range(n)] + [(i, None) for i in range(alo + n, ahi)]
        out += [(None, j) for j in range(blo + n, bhi)]
    for i, j in reversed(run):
        patience(A, B, alo, i, blo, j, out); out.append((i, j)); alo, blo = i + 1, j + 1
    if run: patience(A, B, alo, ahi, blo, bhi, out)
    out += reversed(tail)

def label(m):
    d = dt1_of(m)
    return f"{NAMES[m[1]]} {len(m)}Byte" + (f", address {bytes(d[1]).hex(' ').upper()}H" if d else "")

def expected(A, B, na, nb):
    pairs = by_address(A, B)
    if pairs is None: pairs = []; patience(A, B, 0, len(A), 0, len(B), pairs)
    lines = []
    for i, j in pairs:
        rows = f"{'----' if i is None else f'{i + 1:04d}'} {'----' if j is None else f'{j + 1:04d}'}"
        if j is None: lines.append(f"{rows} only in {na}: {label(A[i])}")
        elif i is None: lines.append(f"{rows} only in {nb}: {label(B[j])}")
        else:
            a, b, da, db = A[i], B[j], dt1_of(A[i]), dt1_of(B[j])
            same_at = da and db and da[0] == db[0]
            for o in range(max(len(a), len(b))):
                x, y = a[o] if o < len(a) else None, b[o] if o < len(b) else None
                if x == y: continue
                h = lambda v: "--" if v is None else f"{v:02X}H"
                at = ", address " + " ".join(f"{v:02X}" for v in plus(da[1], o - da[2])) + "H" \
                    if same_at and da[2] <= o < da[2] + max(da[3], db[3]) else ""
                lines.append(f"{rows} offset {o:04X}H: {h(x)} -> {h(y)}{at}")
    return lines

def dt1(rng, model, address, n):
    data = [rng.randrange(128) for _ in range(n)]
    return tuple([0xF0, 0x41, rng.choice([0x10, 0x10, 0x11])] + model + [0x12] + address + data + [-sum(address + data) % 128, 0xF7])

def other(rng):
    return tuple([0xF0, rng.choice([0x42, 0x43, 0x7E])] + [rng.randrange(128) for _ in range(rng.choice([1, 3, 20]))] + [0xF7])

def dump(rng, n, roland):  # a DT1 set of one model, or a mix with duplicates now and then
    model = rng.choice(MODELS)
    alen = 4 if len(model) > 1 or model[0] in (0x46, 0x57, 0x6A) else 3
    if roland: return [dt1(rng, model, plus([0x40] + [0] * (alen - 1), 0x7C * k), rng.choice([1, 4, 9])) for k in range(n)]
    pool = [other(rng) if rng.random() < 0.6 else dt1(rng, model, [0x40, 0x01, 0x7E][:alen] + [0] * (alen - 3), 3) for _ in range(n)]
    return [rng.choice(pool) if rng.random() < 0.2 else m for m in pool]

def changed(rng, A, kind):
    B = list(A)
    if kind == "byte" and B:
        k = rng.randrange(len(B)); m = list(B[k]); o = rng.randrange(2, len(m) - 1)
        m[o] = (m[o] + rng.randrange(1, 128)) % 128; B[k] = tuple(m)
    if kind == "indel":
        for _ in range(rng.randint(1, 4)):
            if B and rng.random() < 0.5: del B[rng.randrange(len(B))]
            else: B.insert(rng.randrange(len(B) + 1), other(rng) if rng.random() < 0.6 else rng.choice(A))
    if kind == "reorder":
        rng.shuffle(B)
        if rng.random() < 0.5: B = changed(rng, B, "byte")
        if rng.random() < 0.3: del B[rng.randrange(len(B))]
    return B

def write(path, messages, rng):
    if path.endswith(".syx"): open(path, "wb").write(bytes(b for m in messages for b in m)); return
    f = mido.MidiFile(type=0); f.tracks.append(mido.MidiTrack())
    f.tracks[0] += [mido.Message("sysex", data=m[1:-1], time=rng.randrange(0, 50)) for m in messages]
    f.save(path)

def main(cli):
    rng, failures, runs = random.Random(int(os.environ.get("SEED", "46"))), 0, 0
    with tempfile.TemporaryDirectory() as d:
        for case in range(400):
            kind = ["same", "byte", "indel", "reorder"][case % 4]
            A = dump(rng, rng.randint(1, 30), kind == "reorder" or rng.random() < 0.2)
            B = changed(rng, A, kind)
            na, nb = (os.path.join(d, n) for n in ("a.syx", "b.mid" if case % 3 == 0 else "b.syx"))
            write(na, A, rng); write(nb, B, rng)
            want = expected(A, B, na, nb)
            for args in (["diff", na, nb], ["diff", "--brief", na, nb]) if case % 5 == 0 else (["diff", na, nb],):
                r = subprocess.run([cli, *args], capture_output=True, text=True); runs += 1
                lines = want if len(args) == 3 else [f"Files {na} and {nb} differ"] if want else []
                if r.stdout.splitlines() != lines or r.returncode != (1 if want else 0) or (r.stderr and B):
                    failures += 1
                    print(f"case {case} ({kind}) {' '.join(args[:-2])}: exit {r.returncode} {r.stderr}")
                    print("\n".join(l for l in difflib_lines(lines, r.stdout.splitlines())))
        r = subprocess.run([cli, "diff", os.path.join(d, "a.syx"), os.path.join(d, "none.syx")], capture_output=True)
        if r.returncode != 2: failures += 1; print(f"a missing file: exit {r.returncode}")
    print(f"{runs} runs, {failures} failures")
    return 1 if failures else 0

def difflib_lines(want, got):
    import difflib
    return list(difflib.unified_diff(want, got, "independent", "pellum-cli", lineterm="", n=1))[:20]

sys.exit(main(sys.argv[1]))
