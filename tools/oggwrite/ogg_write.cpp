#include "tools/oggwrite/ogg_write.h"

#include <vorbis/vorbisenc.h>

#include <algorithm>

namespace {

// Frames handed to the encoder at a time.
constexpr size_t kChunkFrames = 4096;

void PutPage(std::vector<OggPageBytes> &out, const ogg_page &page, bool header) {
    out.push_back(PageBytes(page, header));
}

}  // namespace

OggPageBytes PageBytes(const ogg_page &page, bool header) {
    OggPageBytes p;
    p.bytes.assign(page.header, page.header + page.header_len);
    p.bytes.insert(p.bytes.end(), page.body, page.body + page.body_len);
    p.granule = ogg_page_granulepos(&page);
    p.header = header;
    return p;
}

bool ResealOggPage(OggPageBytes &page, const int64_t *granule) {
    std::vector<uint8_t> &b = page.bytes;
    if (b.size() < 27 || b[0] != 'O' || b[1] != 'g' || b[2] != 'g' || b[3] != 'S') return false;
    const size_t headerLen = 27 + (size_t)b[26];
    if (b.size() < headerLen) return false;
    if (granule) {
        for (int i = 0; i < 8; i++) b[6 + i] = (uint8_t)((uint64_t)*granule >> (8 * i));
        page.granule = *granule;
    }
    ogg_page og{};
    og.header = b.data();
    og.header_len = (long)headerLen;
    og.body = b.data() + headerLen;
    og.body_len = (long)(b.size() - headerLen);
    ogg_page_checksum_set(&og);
    return true;
}

std::vector<uint8_t> EncodeOggVorbis(const float *samples, size_t frames, const OggSpec &spec) {
    std::vector<uint8_t> out;
    for (const OggPageBytes &page : EncodeVorbisPages(samples, frames, spec))
        out.insert(out.end(), page.bytes.begin(), page.bytes.end());
    return out;
}

std::vector<OggPageBytes> EncodeVorbisPages(const float *samples, size_t frames, const OggSpec &spec) {
    std::vector<OggPageBytes> out;
    vorbis_info vi;
    vorbis_info_init(&vi);
    if (spec.channels <= 0 || vorbis_encode_init_vbr(&vi, spec.channels, spec.rate, spec.quality) != 0) {
        vorbis_info_clear(&vi);
        return out;
    }
    vorbis_comment vc;
    vorbis_comment_init(&vc);
    for (const auto &[name, value] : spec.tags) vorbis_comment_add_tag(&vc, name.c_str(), value.c_str());
    vorbis_dsp_state vd;
    vorbis_block vb;
    vorbis_analysis_init(&vd, &vi);
    vorbis_block_init(&vd, &vb);
    ogg_stream_state os;
    ogg_stream_init(&os, spec.serial);

    ogg_packet header, comments, codebooks;
    vorbis_analysis_headerout(&vd, &vc, &header, &comments, &codebooks);
    ogg_stream_packetin(&os, &header);
    ogg_stream_packetin(&os, &comments);
    ogg_stream_packetin(&os, &codebooks);
    ogg_page og;
    // The headers stand on pages of their own before the first audio page.
    while (ogg_stream_flush(&os, &og)) PutPage(out, og, true);

    const int channels = spec.channels;
    size_t at = 0;
    bool eos = false;
    while (!eos) {
        const size_t n = std::min(kChunkFrames, frames - at);
        if (n == 0) {
            vorbis_analysis_wrote(&vd, 0);
        } else {
            float **buf = vorbis_analysis_buffer(&vd, (int)n);
            for (size_t i = 0; i < n; i++)
                for (int c = 0; c < channels; c++) buf[c][i] = samples[(at + i) * channels + c];
            vorbis_analysis_wrote(&vd, (int)n);
            at += n;
        }
        while (vorbis_analysis_blockout(&vd, &vb) == 1) {
            vorbis_analysis(&vb, nullptr);
            vorbis_bitrate_addblock(&vb);
            ogg_packet op;
            while (vorbis_bitrate_flushpacket(&vd, &op)) {
                ogg_stream_packetin(&os, &op);
                while (ogg_stream_pageout(&os, &og)) {
                    PutPage(out, og, false);
                    if (ogg_page_eos(&og)) eos = true;
                }
            }
        }
        // After the end was written nothing more comes: whatever is left goes out now.
        if (n == 0 && !eos) {
            while (ogg_stream_flush(&os, &og)) PutPage(out, og, false);
            eos = true;
        }
    }
    ogg_stream_clear(&os);
    vorbis_block_clear(&vb);
    vorbis_dsp_clear(&vd);
    vorbis_comment_clear(&vc);
    vorbis_info_clear(&vi);
    return out;
}
