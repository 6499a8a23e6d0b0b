#pragma once

#include <QByteArray>
#include <QList>

// How one fuzz input is played: what the device sends and how it arrives.
//
// The input's last six bytes steer the delivery, everything in front of them
// is the device's output. Keeping the steering at the end lets a plain device
// capture serve as a seed: its text stays text, only its tail is read as
// steering. An input of six bytes or fewer is all device output, delivered
// with the defaults.
//
//   [ device output ... ][ seed: 4 bytes, little endian ][ shape ][ mode ]
//
// shape: bits 0-3  largest chunk, 2^(n mod 14) bytes (1 to 8192: a chunk
//                  larger than the link's 4096-byte read takes several polls)
//        bits 4-5  a receive run after every 1st to 4th chunk
//        bits 6-7  polls after every 1st to 4th chunk (bytes pile up in the
//                  driver in between)
// mode:  bits 0-1  parser calls per tick: 1, 2, 7 or 250
//        bit  2    run the session's clock tick instead of single calls
//        bits 3-6  unused
//        0xFF      flood: the output repeated past the receive run's limit of
//                  65536 characters, to check the receive path at its limit
struct FuzzPlan
{
    static FuzzPlan fromBytes(const quint8 *data, size_t size);

    // Chunk lengths that add up to the stream's length, drawn from the seed.
    QList<int> chunkSizes() const;

    QByteArray stream;
    quint32 seed = 0;
    int maxChunk = 1;
    int receiveEvery = 1;
    int pollEvery = 1;
    int callsPerTick = 1;
    bool realClockTick = false;
    bool flood = false;
};
