#!/usr/bin/env python3
"""Writes the seed inputs of the fuzz targets into tests/fuzz/<target>/ (run once; the seeds are
kept in the repository). Inputs that once broke a target are added beside them by hand, named
regress-<what>."""
import math
import os
import struct
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))


def chunk(tag, body):
    return tag + struct.pack("<I", len(body)) + body + (b"\0" if len(body) % 2 else b"")


def fmt(tag, channels, rate, bits, extra=b""):
    align = channels * max(bits // 8, 1)
    body = struct.pack("<HHIIHH", tag, channels, rate, rate * align, align, bits)
    if tag != 1 or extra:
        body += struct.pack("<H", len(extra)) + extra
    return chunk(b"fmt ", body)


def riff(*chunks):
    body = b"WAVE" + b"".join(chunks)
    return b"RIFF" + struct.pack("<I", len(body)) + body


def attribute(text):
    return chunk(b"LIST", b"INFO" + chunk(b"atrb", text.encode("cp932")))


def tone(count, rate=8000, amplitude=8000):
    return [int(amplitude * math.sin(2 * math.pi * 440 * i / rate)) for i in range(count)]


def pcm16(samples):
    return struct.pack("<%dh" % len(samples), *samples)


def mulaw(samples):
    out = bytearray()
    for s in samples:
        sign = 0x80 if s < 0 else 0
        s = min(abs(s), 32635) + 132
        exponent = max(0, s.bit_length() - 8)
        mantissa = (s >> (exponent + 3)) & 0x0F
        out.append(~(sign | (exponent << 4) | mantissa) & 0xFF)
    return bytes(out)


def sox(*effects, encoding, bits=None):
    """A short WAV file made by sox, for the encodings only libsndfile decodes."""
    with tempfile.TemporaryDirectory() as tmp:
        path = os.path.join(tmp, "out.wav")
        args = ["sox", "-n", "-r", "8000", "-c", "1", "-e", encoding]
        if bits:
            args += ["-b", str(bits)]
        subprocess.run(args + [path, "synth", "0.05", "sine", "440"] + list(effects), check=True)
        with open(path, "rb") as f:
            return f.read()


def frame(mark, command, data=b""):
    body = bytes([mark]) + b"%04d" % command + b"%06d" % len(data) + data + b"\x03"
    bcc = 0
    for b in body:
        bcc ^= b
    return b"\x02" + body + bytes([bcc])


def answers(operation, line, position, *replies):
    out = bytes([operation, line, position])
    for reply in replies:
        out += struct.pack("<H", len(reply)) + reply
    return out


def trailer(tag, date, version):
    field = tag.encode("cp932").ljust(16, b"\0")
    return field + date.encode().ljust(16, b"\0") + version.encode().ljust(9, b"\0") + b"\0" * 7


def seeds():
    voice = pcm16(tone(400))
    yield "wave_file", "pcm16-text", riff(fmt(1, 1, 8000, 16), chunk(b"data", voice),
                                          attribute("前半メッセージ"))
    yield "wave_file", "mulaw-text", riff(fmt(7, 1, 8000, 8), chunk(b"data", mulaw(tone(300))),
                                          attribute("火災です"))
    yield "wave_file", "junk-odd-chunks", riff(chunk(b"junk", b"abc"), fmt(1, 2, 11025, 8),
                                               chunk(b"data", bytes(range(201))))
    yield "wave_file", "extensible", riff(fmt(0xFFFE, 1, 8000, 16, bytes(22)),
                                          chunk(b"data", voice[:200]))
    yield "wave_file", "truncated-data", riff(fmt(1, 1, 8000, 16),
                                              b"data" + struct.pack("<I", 100000) + voice[:100])

    yield "import_chain", "pcm16-stereo-44k", riff(fmt(1, 2, 44100, 16),
                                                   chunk(b"data", pcm16(tone(600, 44100))))
    yield "import_chain", "pcm8", riff(fmt(1, 1, 11025, 8),
                                       chunk(b"data", bytes((s // 256 + 128) & 0xFF
                                                            for s in tone(500, 11025))))
    yield "import_chain", "pcm24", riff(fmt(1, 1, 16000, 24),
                                        chunk(b"data", b"".join(struct.pack("<i", s * 256)[:3]
                                                                for s in tone(300, 16000))))
    yield "import_chain", "float32", riff(fmt(3, 1, 8000, 32),
                                          chunk(b"data", struct.pack("<200f", *[s / 32768 for s in tone(200)])))
    yield "import_chain", "mulaw", riff(fmt(7, 1, 8000, 8), chunk(b"data", mulaw(tone(400))))
    yield "import_chain", "ima-adpcm", sox(encoding="ima-adpcm")
    yield "import_chain", "ms-adpcm", sox(encoding="ms-adpcm")
    yield "import_chain", "gsm", sox(encoding="gsm-full-rate")
    yield "import_chain", "alaw", sox(encoding="a-law", bits=8)

    yield "phrase_source", "mulaw-phrase", riff(fmt(7, 1, 8000, 8), chunk(b"data", mulaw(tone(1600))))
    yield "phrase_source", "pcm-phrase", riff(fmt(1, 1, 8000, 16), chunk(b"data", voice))

    block = struct.pack("<H", 3) + bytes(i & 0xFF for i in range(1024))
    yield "device_reply", "write-start-ok", answers(0, 0, 0, frame(0x41, 9000, b"\0"))
    yield "device_reply", "write-block-bcc-then-ok", answers(
        1, 0, 0, frame(0x41, 9001, struct.pack("<HB", 7, 0))[:-1] + b"\0",
        frame(0x41, 9001, struct.pack("<HB", 7, 0)))
    yield "device_reply", "write-end-refused", answers(2, 3, 0, frame(0x41, 9002, b"\1"))
    yield "device_reply", "read-start-rejected", answers(3, 0, 0, b"\x02AXXXX000000\x03\x00")
    yield "device_reply", "read-block-trickled", answers(4, 5, 0, b"noise" + frame(0x41, 9011, block))
    yield "device_reply", "read-block-line-error", answers(4, 0x10, 40, frame(0x41, 9011, block),
                                                           frame(0x41, 9011, block))
    yield "device_reply", "read-end-undefined", answers(5, 0, 0, frame(0x41, 9012, b"UNDEFINED"))
    yield "device_reply", "transact-wrong-command", answers(6, 0, 0, frame(0x41, 9000),
                                                            frame(0x41, 9012))

    yield "program_file", "application", b"\3" + trailer("APLI DEV01", "2026/12/07", "1.02")
    yield "program_file", "application-bad-crc", b"\1" + trailer("APLI DEV01", "2026/12/07", "1.02")
    yield "program_file", "update", b"\4" + trailer("UDPG 装置", "2026/12/07", "0.9")
    yield "program_file", "raw-short", b"\0" + trailer("APLI", "", "")

    yield "profile_file", "typical", (
        "[CONFIG]\r\nPATH=/home/user/MEVAN/DATA\r\nRECDELAY=3\r\nPORT=1\r\nDISK=10\r\n"
        "[VOICE1]\r\nname=前半メッセージ\r\ncomment=前半\r\n[PORTS]\r\nCOM7=/dev/ttyUSB0\r\n"
    ).encode("cp932")
    yield "profile_file", "odd-lines", (
        "; comment\n  [ config ]  \nport = 0x1F\npath=\"/q u o t e d\"\nPATH=second\n[VOICE2\n"
        "=no key\nname\n[voice1]\r\ncomment='x'\r\nlast line without break"
    ).encode("cp932")


def main():
    for target, name, data in seeds():
        folder = os.path.join(HERE, target)
        os.makedirs(folder, exist_ok=True)
        with open(os.path.join(folder, name), "wb") as f:
            f.write(data)
    return 0


if __name__ == "__main__":
    sys.exit(main())
