#!/usr/bin/env python3
"""Writes the hostile cabinets of this folder, one per failure, named after it.

Built by hand from the Microsoft Cabinet layout so that each file breaks
exactly one rule. Run from this folder; the output is committed.
"""
import random
import struct
import zlib


def checksum(data, seed=0):
    total = seed
    whole = len(data) // 4 * 4
    for i in range(0, whole, 4):
        total ^= struct.unpack_from('<I', data, i)[0]
    tail = 0
    for b in data[whole:]:
        tail = (tail << 8) | b
    return total ^ tail


def mszip(block):
    z = zlib.compressobj(6, zlib.DEFLATED, -15)
    return b'CK' + z.compress(block) + z.flush()


def cabinet(files, compress=True, layout=None):
    """files: list of (raw name bytes, contents); layout, when given, the
    (raw name, size, offset) entries to store over the joined contents."""
    stream = b''.join(data for _, data in files)
    blocks = []
    for i in range(0, max(len(stream), 1), 32768):
        plain = stream[i:i + 32768]
        packed = mszip(plain) if compress else plain
        sizes = struct.pack('<HH', len(packed), len(plain))
        blocks.append(struct.pack('<I', checksum(sizes, checksum(packed))) + sizes + packed)
    if layout is None:
        layout, offset = [], 0
        for name, data in files:
            layout.append((name, len(data), offset))
            offset += len(data)
    if not stream:
        blocks = []
    entries = b''
    for name, size, offset in layout:
        entries += struct.pack('<IIHHHH', size, offset, 0, 0x5264, 0x28C4, 0x20) + name + b'\0'
    data_start = 36 + 8 + len(entries)
    body = b''.join(blocks)
    header = struct.pack('<4sIIIIIBBHHHHH', b'MSCF', 0, data_start + len(body), 0, 44, 0, 3, 1,
                         1, len(layout), 0, 0, 0)
    folder = struct.pack('<IHH', data_start, len(blocks), 1 if compress else 0)
    return bytearray(header + folder + entries + body)


def text(size):
    return (b'report,total,2021\r\n' * (size // 19 + 1))[:size]


def write(name, data):
    with open(name, 'wb') as f:
        f.write(data)


first = (b'first.txt', b'written only if the whole cabinet is safe\r\n')
write('dotdot-name.cab', cabinet([first, (b'..\\evil.txt', b'x')]))
write('nested-dotdot-name.cab', cabinet([first, (b'sub\\..\\..\\evil.txt', b'x')]))
write('absolute-name.cab', cabinet([first, (b'\\tmp\\evil.txt', b'x')]))
write('slash-absolute-name.cab', cabinet([first, (b'/tmp/evil.txt', b'x')]))
write('drive-letter-name.cab', cabinet([first, (b'C:evil.txt', b'x')]))
# 0x95 0x5C is one character (表); split raw it would look like "..".
write('trail-byte-dotdot-name.cab', cabinet([(b'\x95\x5c..\\ok.txt', b'safe')]))
# A whole output's cabinet with a name Windows cannot hold (an escape
# sequence): Linux writes it, Windows refuses before writing anything.
header = b'\x83\x67\x83\x8b\x83\x81\x83\x41,A123,\x83\x70\x83\x58,word1,reply@example.jp\r\n'
write('control-name.cab', cabinet([(b'MAIN_TEXT.txt', header), (b'\x1b[2J.txt', b's')]))

good = cabinet([(b'a.txt', text(50000)), (b'b.txt', random.Random(1).randbytes(40000))])
write('truncated.cab', good[:len(good) - 3000])
write('truncated-header.cab', good[:30])
bad = bytearray(good)
second_block = 36 + 8 + 2 * 16 + len('a.txt') + len('b.txt') + 2
second_block += 8 + struct.unpack_from('<H', bad, second_block + 4)[0]
bad[second_block + 8 + 100] ^= 0x01
write('bad-checksum.cab', bad)
write('not-a-cabinet.cab', b'This is plain text, not a cabinet.\r\n' * 4)

# Files that share their bytes: each would be decompressed and written whole.
shared = text(100000)
write('overlap.cab', cabinet([(b'', shared)],
                             layout=[(b'%c.txt' % c, len(shared), 0) for c in b'abcd']))
# Four files of 1 GiB over a folder of no blocks at all.
GiB = 1 << 30
write('over-declared.cab', cabinet([], layout=[(b'%c.txt' % c, GiB, i * GiB)
                                              for i, c in enumerate(b'abcd')]))
# A name that is a file and a folder, either way round and with either separator.
write('file-and-folder.cab', cabinet([(b'x', b'file'), (b'x\\y', b'inside')]))
write('folder-and-file.cab', cabinet([(b'a/b', b'inside'), (b'a', b'file')]))
write('empty-name.cab', cabinet([first, (b'', b'x')]))
# LZX with a window of 25 bits, which no reader of this format knows.
odd = cabinet([first])
struct.pack_into('<H', odd, 36 + 6, 0x1903)
write('unknown-method.cab', odd)
