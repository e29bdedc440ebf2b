// What the decoder's files share: the libogg and libtheora state of one decoder and the steps
// over it that both the opening and the decode thread take.
#pragma once

#include <ogg/ogg.h>
#include <theora/theora.h>

#include "library/movie/theora_decoder.h"

struct THEORACODEC {
    ogg_sync_state sync;
    ogg_page page;
    ogg_stream_state stream;
    ogg_packet packet;
    theora_info info;
    theora_comment comment;
    theora_state decoder;
    int32_t serial;
    int32_t headerCount;  // 0..3
    int32_t streamReady, decoderReady;
};

// The next page of the file into codec->page: its length, or 0 at the end of the data. Bytes
// that are no page are skipped (and counted into *skipped when given).
int ReadTheoraPage(THEORADEC *d, int64_t *skipped);
// The next packet of the Theora stream into codec->packet: 1, or 0 at the end of the data.
// Pages of other streams are passed over.
int ReadTheoraPacket(THEORADEC *d);
// Forget what the sync and stream states hold and read on from byte `offset`.
void RewindTheoraStream(THEORADEC *d, int64_t offset);
// A header packet (Theora's headers have the top bit of their first byte set).
inline bool IsTheoraHeaderPacket(const ogg_packet &p) { return p.bytes > 0 && (p.packet[0] & 0x80); }

// The conversion's coefficients (14 fractional bits) and rows (yuv_tables.cpp). A row takes the
// chroma sample of pixel x at (x + phase) >> shift; the pair row is the common layout (chroma
// halved across, the picture on an even column) for `pairs` pairs of pixels.
constexpr int32_t kYuvY = 19070, kYuvRv = 26148, kYuvGu = -6406, kYuvGv = -13320, kYuvBu = 33062;
void ConvertYuvRow(uint32_t *dst, const uint8_t *y, const uint8_t *u, const uint8_t *v, int width, int shift,
                   int phase);
void ConvertYuvRowPairs(uint32_t *dst, const uint8_t *y, const uint8_t *u, const uint8_t *v, int pairs);

// The decode thread (theora_thread.cpp).
DWORD TheoraDecodeThread(LPVOID decoder);
// Wakes the thread and waits until it reports idle.
void WaitTheoraIdle(THEORADEC *d);
