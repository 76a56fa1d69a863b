"""Pads a PE image to a multiple of 8 bytes and writes its checksum, in place.

Authenticode signing appends the signature at an 8-byte boundary and updates the
checksum; removing the signature leaves the file padded and checksummed. A program
already in that form round-trips byte for byte through signing and unsigning.
"""
import struct
import sys

path = sys.argv[1]
with open(path, "rb") as f:
    image = bytearray(f.read())
image += bytes(-len(image) % 8)

# The checksum field is 88 bytes into the PE header, and it is summed as zero.
checksum_at = struct.unpack_from("<I", image, 0x3C)[0] + 88
struct.pack_into("<I", image, checksum_at, 0)
# 16-bit words summed with end-around carry, plus the file's length.
total = sum(struct.unpack(f"<{len(image) // 2}H", image))
while total > 0xFFFF:
    total = (total & 0xFFFF) + (total >> 16)
struct.pack_into("<I", image, checksum_at, total + len(image))

with open(path, "wb") as f:
    f.write(image)
