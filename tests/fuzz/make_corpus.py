"""Writes the seed corpus for report_fuzz: the sample run and each edge case, in the target's
input encoding (see the comment at the top of report_fuzz.cpp). Run it after changing either;
the files it writes are checked in."""
import os
import struct
import sys

HERE = os.path.dirname(os.path.abspath(__file__))


def u16(value):
    return struct.pack("<H", value & 0xffff)


def name(text):
    """A literal name; short ones in the short form."""
    if isinstance(text, str):
        text = text.encode("latin-1")
    if len(text) <= 63:
        return bytes([3 | len(text) << 2]) + text
    return b"\x00" + u16(len(text)) + text


def fill(count, byte):
    return b"\x01" + u16(count) + bytes([byte])


def pool(index):
    return bytes([2 | index << 2])


def count(n):
    return bytes([n]) if n < 16 else b"\xff" + u16(n)


def ip(dotted):
    return bytes(int(part) for part in dotted.split("."))


def entry(addresses=(), host_name=name("h.test"), aliases=(), type_length=None):
    """addresses: pool indexes, or raw bytes given as bytes."""
    out = bytes([1 if type_length else 0])
    if type_length:
        out += u16(type_length[0]) + u16(type_length[1])
    out += count(len(addresses))
    for address in addresses:
        if isinstance(address, int):
            out += bytes([address])
        else:
            out += bytes([0xf0 + len(address)]) + address
    out += host_name
    out += count(len(aliases))
    for alias in aliases:
        out += alias
    return out


def answers(*items):
    """Each item an entry, or None for a failed lookup; no items: every lookup fails."""
    out = bytes([len(items)])
    for item in items:
        out += b"\x00" if item is None else b"\x01" + item
    return out


def script(host, addresses=(), names=(), reverse=(), forward=(), argument=name("h.test"),
           local=None, startup=None, version=None, hostname_fails=False, mutations=(),
           ntoa_failures=None):
    flags = 0
    out = b""
    if startup is not None:
        flags |= 1
        out += u16(startup)
    if version is not None:
        flags |= 2
        out += u16(version)
    if ntoa_failures is not None:
        flags |= 32
        out += bytes([ntoa_failures])
    if hostname_fails:
        flags |= 4
    if argument is None:
        flags |= 8
    if local is not None:
        flags |= 16
        out += local
    if argument is not None:
        out += argument
    out += bytes([len(mutations)]) + bytes(mutations)
    out += bytes([len(addresses)]) + b"".join(ip(a) for a in addresses)
    out += bytes([len(names)]) + b"".join(names)
    out += host
    for address in addresses:
        out += reverse[addresses.index(address)] if addresses.index(address) < len(reverse) \
            else answers()
    for index in range(len(names)):
        out += forward[index] if index < len(forward) else answers()
    return bytes([flags]) + out


def cases():
    one = ["192.0.2.1"]
    yield "sample-run", script(
        answers(entry([0, 1, 2], name("alpha"), [name("alpha-srv")])),
        addresses=["192.0.2.10", "192.0.2.11", "192.0.2.12", "192.0.2.99"],
        names=[name("alpha"), name("alpha-if2")],
        reverse=[answers(entry([], pool(0))), answers(entry([], pool(1)))],
        forward=[answers(), answers(entry([3], pool(1)))],
        argument=name("alpha"), local=name("ws01"))
    yield "startup-fails", script(answers(entry([0])), addresses=one, startup=10091)
    yield "startup-offers-2.2", script(answers(entry([0])), addresses=one, version=0x0202)
    yield "startup-offers-1.0", script(answers(entry([0])), addresses=one, version=0x0001)
    yield "gethostname-fails", script(answers(entry([0])), addresses=one, hostname_fails=True)
    yield "no-argument", script(
        answers(entry([0], name("ws01.test")), None), addresses=one, names=[name("ws01.test")],
        reverse=[answers(entry([], pool(0)))], forward=[answers(entry([0], pool(0)))],
        argument=None, local=name("ws01.test"))
    yield "host-not-found", script(answers(), argument=name("nowhere.test"))
    yield "empty-argument", script(answers(), argument=name(""))
    yield "printf-argument", script(answers(), argument=name("%s%n%x%s"),
                                    local=name("%n%n%s"))
    yield "relookup-fails", script(answers(entry([0, 1]), None),
                                   addresses=["192.0.2.1", "192.0.2.2"])
    yield "rotating-answers", script(
        answers(entry([0, 1, 2]), entry([2, 0, 1]), entry([1, 2])),
        addresses=["192.0.2.1", "192.0.2.2", "192.0.2.3"], names=[name("one.test")],
        reverse=[answers(entry([], pool(0)))], forward=[answers(entry([0], pool(0)))])
    yield "rotating-shorter", script(
        answers(entry([0, 1, 2]), entry([0, 1, 2]), entry([0])),
        addresses=["192.0.2.1", "192.0.2.2", "192.0.2.3"])
    yield "empty-address-list", script(answers(entry([], name("h"), [name("a1")])))
    yield "all-three-warnings", script(
        answers(entry([0, 1, 2])), addresses=["192.0.2.1", "192.0.2.2", "192.0.2.3", "192.0.2.77"],
        names=[name("m.test"), name("lost.test")],
        reverse=[answers(entry([], pool(0))), answers(entry([], pool(1)))],
        forward=[answers(entry([3], pool(0))), answers()])
    yield "first-address-only-counts", script(
        answers(entry([0])), addresses=["192.0.2.1", "192.0.2.9"], names=[name("h2.test")],
        reverse=[answers(entry([], pool(0)))], forward=[answers(entry([1, 0], pool(0)))])
    yield "interface-without-addresses", script(
        answers(entry([0])), addresses=one, names=[name("empty.test")],
        reverse=[answers(entry([], pool(0)))], forward=[answers(entry([], pool(0)))])
    control = bytes(range(1, 32)) + b"\x7f"
    yield "control-bytes-everywhere", script(
        answers(entry([0], name(b"h\x1b]0;x\x07"),
                      [name(b"evil\rWARNING: forged\n"), name(control), name(b"caf\xc3\xa9")])),
        addresses=one, names=[name(b"if\n\x7f\x1b[2J")],
        reverse=[answers(entry([], pool(0)))], forward=[answers(entry([0], pool(0)))],
        argument=name(b"h\r\x07\x1b[31m"), local=name(b"ws\x1b[2J\r"))
    yield "verdict-texts-in-names", script(
        answers(entry([0, 1], name("<Unknown>"), [name("???"), name("- 192.0.2.1 "), name("+")])),
        addresses=["192.0.2.1", "192.0.2.2"],
        names=[name("<Unknown>"), name("WARNING: 1 Addresses could not be resolved back to names"),
               name("???")],
        reverse=[answers(entry([], pool(0))), answers(entry([], pool(2)))],
        forward=[answers(entry([0], pool(1))), answers(), answers()],
        argument=name("???"), local=name("- "))
    yield "reverse-name-300-bytes", script(
        answers(entry([0])), addresses=one, names=[name("n" * 300)],
        reverse=[answers(entry([], pool(0)))], forward=[answers(entry([0], pool(0)))])
    yield "name-longer-than-40", script(
        answers(entry([0])), addresses=one,
        names=[name("a-name-of-forty-one-characters-for-a-test")],
        reverse=[answers(entry([], pool(0)))], forward=[answers(entry([0], pool(0)))])
    yield "names-of-1000-control-bytes", script(
        answers(entry([0], fill(1000, 0x1b), [fill(1000, 0x0d), fill(1000, 0x7f)])),
        addresses=one, names=[fill(1000, 0x07)],
        reverse=[answers(entry([], pool(0)))], forward=[answers(entry([0], pool(0)))],
        argument=fill(1000, 0x0a), local=fill(1000, 0x09))
    yield "embedded-nul-bytes", script(
        answers(entry([0], name(b"h\x00hidden"), [name(b"a\x00b")])), addresses=one,
        names=[name(b"if.test\x00tail")],
        reverse=[answers(entry([], pool(0)))], forward=[answers(entry([0], pool(0)))],
        argument=name(b"h.test\x00more"))
    yield "aliases-2000", script(answers(entry([0], name("h"), [name("alias.test")] * 2000)),
                                 addresses=one)
    yield "addresses-2000", script(answers(entry([0, 1] * 1000)),
                                   addresses=["192.0.2.1", "192.0.2.2"], names=[name("r.test")],
                                   reverse=[answers(entry([], pool(0)))],
                                   forward=[answers(entry([1], pool(0)))])
    yield "interface-entry-2000-addresses", script(
        answers(entry([0])), addresses=["192.0.2.1", "192.0.2.2"], names=[name("r.test")],
        reverse=[answers(entry([], pool(0)))],
        forward=[answers(entry([1] * 1999 + [0], pool(0), [name("x")] * 2000))])
    yield "odd-type-and-length", script(
        # Two addresses: the second reverse lookup still gets the first entry's type and length.
        answers(entry([0, 1], type_length=(0xffff, 16)), entry([0, 1], type_length=(23, 0x8000))),
        addresses=["192.0.2.1", "192.0.2.2"], names=[name("r.test")],
        reverse=[answers(entry([], pool(0), type_length=(99, 8)))],
        forward=[answers(entry([0], pool(0)))])
    yield "short-and-long-raw-addresses", script(
        answers(entry([b"", b"\xc0\x00", b"\xc6\x33\x64\x07" + bytes(11)])), addresses=one)
    # Mutations: bit 5 nulls h_name, 6 h_aliases, 7 h_addr_list of the lookup numbered by the
    # low bits (0 the first forward lookup, 1 the first reverse lookup, ...).
    yield "null-host-name-and-aliases", script(
        answers(entry([0], aliases=[name("a")])), addresses=one, mutations=[0 | 32 | 64])
    yield "null-address-list", script(answers(entry([0])), addresses=one, mutations=[0 | 128])
    yield "null-reverse-name", script(
        answers(entry([0])), addresses=one, names=[name("")],
        reverse=[answers(entry([], pool(0)))], forward=[answers(entry([0], pool(0)))],
        mutations=[1 | 32])
    yield "null-interface-address-list", script(
        answers(entry([0])), addresses=one, names=[name("r.test")],
        reverse=[answers(entry([], pool(0)))], forward=[answers(entry([0], pool(0)))],
        mutations=[2 | 128])
    # inet_ntoa answers null for its calls 0 and 3: the first address, and the mismatch's.
    yield "inet-ntoa-fails", script(
        answers(entry([0, 1])), addresses=["192.0.2.1", "192.0.2.2", "192.0.2.9"],
        names=[name("r.test")],
        reverse=[answers(entry([], pool(0))), answers(entry([], pool(0)))],
        forward=[answers(entry([2], pool(0)))], ntoa_failures=0b1001)
    yield "null-relookup-address-list", script(
        answers(entry([0, 0])), addresses=one, mutations=[2 | 128])


def main():
    folder = os.path.join(HERE, "corpus")
    os.makedirs(folder, exist_ok=True)
    for what, data in cases():
        with open(os.path.join(folder, what), "wb") as f:
            f.write(data)
    return 0


if __name__ == "__main__":
    sys.exit(main())
