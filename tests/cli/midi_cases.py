# Writes Standard MIDI Files byte by byte, independently of Pellum, with the .syx file of the SysEx
# messages each holds in play order: python3 midi_cases.py SEED COUNT FOLDER. FOLDER/cases
# names each pair with its F7 escape count, or a damaged .mid with "bad".
import os, random, struct, sys

seed, count, out = int(sys.argv[1]), int(sys.argv[2]), sys.argv[3]
rng = random.Random(seed)

def vlq(n):
    b = [n & 0x7F]
    while n > 0x7F:
        n >>= 7
        b.insert(0, 0x80 | (n & 0x7F))
    return bytes(b)

def chunk(name, body):
    return name + struct.pack('>I', len(body)) + body

def track(index, fmt, found):
    body, now, last, running, escapes = b'', 0, 0, 0, 0
    def event(data, wait=None):
        nonlocal body, now, last
        now += rng.choice([0, 0, 1, 5, 96, 300, 20000]) if wait is None else wait
        body += vlq(now - last) + data
        last = now
    for n in range(rng.randint(0, 12)):
        kind = rng.random()
        if kind < 0.45:  # a message in 1-4 packets, maybe other events between them
            m = bytes([0xF0, rng.choice([0x41, 0x42, 0x43, 0x7E, 0x00])] +
                      [rng.randrange(128) for _ in range(rng.choice([0, 3, 40, 300]))] + [0xF7])
            cuts = sorted(rng.sample(range(2, len(m)), min(len(m) - 2, rng.randint(0, 3))))
            parts = [m[a:b] for a, b in zip([1] + cuts, cuts + [len(m)])]
            event(b'\xF0' + vlq(len(parts[0])) + parts[0])
            found.append(((index if fmt == 2 else 0, now, index, len(body)), m))
            for p in parts[1:]:
                if rng.random() < 0.3:
                    event(b'\xFF\x01\x02hi')
                event(b'\xF7' + vlq(len(p)) + p)
        elif kind < 0.6:  # an escape: real-time or MTC bytes
            event(b'\xF7' + vlq(2) + bytes([0xF1, rng.randrange(128)]) if rng.random() < 0.5
                  else b'\xF7\x01\xF8')
            escapes += 1
        elif kind < 0.8:  # a channel event, its status left out when running status allows
            status = rng.choice([0x90, 0xC3, running or 0xB0])
            data = bytes([rng.randrange(128) for _ in range(1 if status >> 4 == 0xC else 2)])
            event((b'' if status == running and rng.random() < 0.7 else bytes([status])) + data)
            running = status
        else:
            event(b'\xFF\x51\x03\x07\xA1\x20' if rng.random() < 0.5 else b'\xFF\x03\x00')
    if rng.random() < 0.8:
        event(b'\xFF\x2F\x00')
    return chunk(b'MTrk', body), escapes

def song():
    fmt = rng.choice([0, 1, 1, 2])
    tracks = 1 if fmt == 0 else rng.randint(1, 4)
    found, data, escapes = [], chunk(b'MThd', struct.pack('>HHH', fmt, tracks, 480)), 0
    for index in range(tracks):
        if rng.random() < 0.3:
            data += chunk(b'XFIH', bytes(rng.randrange(256) for _ in range(rng.randint(0, 9))))
        t, e = track(index, fmt, found)
        data, escapes = data + t, escapes + e
    return data, b''.join(m for _, m in sorted(found, key=lambda f: f[0])), escapes

with open(os.path.join(out, 'cases'), 'w') as cases:
    for i in range(count):
        mid, syx, escapes = song()
        open(os.path.join(out, f'c{i}.mid'), 'wb').write(mid)
        open(os.path.join(out, f'c{i}.syx'), 'wb').write(syx)
        cases.write(f'c{i} {escapes}\n')
        if i % 4 == 0:  # cut anywhere: every part of it counts
            open(os.path.join(out, f'b{i}.mid'), 'wb').write(mid[:rng.randrange(len(mid))])
            cases.write(f'b{i} bad\n')
    # Past the store's limits: 10001 messages alternating between two tracks, one too long.
    many = [bytes([0xF0, 0x43, i % 128, 0xF7]) for i in range(10001)]
    long = [many[0], bytes([0xF0, 0x41]) + bytes(65533) + b'\xF7', many[1]]
    for name, tracks in (('many', [many[0::2], many[1::2]]), ('long', [long])):
        mid = chunk(b'MThd', struct.pack('>HHH', 1, len(tracks), 96)) + b''.join(
            chunk(b'MTrk', b''.join(vlq(2 if i else n) + b'\xF0' + vlq(len(m) - 1) + m[1:]
                                    for i, m in enumerate(t))) for n, t in enumerate(tracks))
        open(os.path.join(out, name + '.mid'), 'wb').write(mid)
        open(os.path.join(out, name + '.syx'), 'wb').write(b''.join(many if name == 'many' else long))
        cases.write(f'{name} 0\n')
