# Writes Standard MIDI Files byte by byte, apart from Pellum, each with the .syx of its SysEx in
# play order, status bytes inside them included: midi_cases.py SEED COUNT FOLDER. FOLDER/cases: each pair and its F7 escape count,
# or "bad" for a file cut short.
import os, random, struct, sys

rng, out = random.Random(int(sys.argv[1])), sys.argv[3]
vlq = lambda n: bytes([0x80 | (n >> s) & 0x7F for s in (21, 14, 7) if n >> s] + [n & 0x7F])
chunk = lambda name, body: name + struct.pack('>I', len(body)) + body
song = lambda fmt, chunks: chunk(b'MThd', struct.pack('>HHH', fmt, sum(c[:4] == b'MTrk' for c in chunks),
                                                    96)) + b''.join(chunks)

def track(index, fmt, found):  # events: messages in 1-4 packets, escapes, channel and meta events
    body, now, last, running, escapes = b'', 0, 0, 0, 0
    def event(data):
        nonlocal body, now, last
        now += rng.choice([0, 0, 1, 5, 96, 300, 20000])
        body, last = body + vlq(now - last) + data, now
    for n in range(rng.randint(0, 12)):
        kind = rng.random()
        if kind < 0.45:
            m = bytes([0xF0, rng.choice([0x41, 0x42, 0x43, 0x7E, 0x00])] +
                      [rng.randrange(128) for _ in range(rng.choice([0, 3, 40, 300]))] + [0xF7])
            cuts = sorted(rng.sample(range(2, len(m)), min(len(m) - 2, rng.randint(0, 3))))
            if not cuts and rng.random() < 0.3:  # status bytes inside, which end it as on a cable
                for _ in range(rng.randint(1, 2)):
                    at = rng.randrange(1, len(m))
                    m = m[:at] + bytes([rng.choice([0x90, 0xC3, 0xF0, 0xF1, 0xF6, 0xF7, 0xF8, 0xFE])]) + m[at:]
            for i, (a, b) in enumerate(zip([1] + cuts, cuts + [len(m)])):
                if i and rng.random() < 0.3: event(b'\xFF\x01\x02hi')
                event((b'\xF7', b'\xF0')[i == 0] + vlq(b - a) + m[a:b])
                if i == 0: found.append(((index if fmt == 2 else 0, now, index, len(body)), m))
        elif kind < 0.6:
            event(rng.choice([b'\xF7\x02\xF1' + bytes([rng.randrange(128)]), b'\xF7\x01\xF8']))
            escapes += 1
        elif kind < 0.8:  # its status left out when running status, kept across anything, allows
            status = rng.choice([0x90, 0xC3, running or 0xB0])
            data = bytes(rng.randrange(128) for _ in range(1 if status >> 4 == 0xC else 2))
            event((b'' if status == running and rng.random() < 0.7 else bytes([status])) + data)
            running = status
        else:
            event(rng.choice([b'\xFF\x51\x03\x07\xA1\x20', b'\xFF\x03\x00']))
    if rng.random() < 0.8: event(b'\xFF\x2F\x00')
    return chunk(b'MTrk', body), escapes

def write(name, mid, syx, escapes):
    for ext, data in (('.mid', mid), ('.syx', syx)): open(os.path.join(out, name + ext), 'wb').write(data)
    cases.write(f'{name} {escapes}\n')

with open(os.path.join(out, 'cases'), 'w') as cases:
    for i in range(int(sys.argv[2])):
        fmt, found, tracks, escapes = rng.choice([0, 1, 1, 2]), [], [], 0
        for index in range(1 if fmt == 0 else rng.randint(1, 4)):
            unknown = chunk(b'XFIH', bytes(rng.randrange(256) for _ in range(rng.randint(0, 9))))
            t, e = track(index, fmt, found)
            tracks, escapes = tracks + [unknown if rng.random() < 0.3 else b'', t], escapes + e
        mid = song(fmt, tracks)
        write(f'c{i}', mid, b''.join(m for _, m in sorted(found, key=lambda f: f[0])), escapes)
        if i % 4 == 0:  # cut anywhere, or a last track whose data byte has no status before it
            write(f'b{i}', mid[:rng.randrange(len(mid))] if i % 8 else song(fmt, tracks + [
                chunk(b'MTrk', b'\x00\xFF\x01\x00\x00\x40\x40')]), b'', 'bad')
    # Past the store's limits: 10001 messages alternating between two tracks; one too long.
    many = [bytes([0xF0, 0x43, i % 128, 0xF7]) for i in range(10001)]
    long = [many[0], bytes([0xF0, 0x41]) + bytes(65533) + b'\xF7', many[1]]
    for name, all, tracks in (('many', many, [many[0::2], many[1::2]]), ('long', long, [long])):
        write(name, song(1, [chunk(b'MTrk', b''.join(vlq(2 if i else n) + b'\xF0' + vlq(len(m) - 1) +
                                                     m[1:] for i, m in enumerate(t)))
                             for n, t in enumerate(tracks)]), b''.join(all), 0)
