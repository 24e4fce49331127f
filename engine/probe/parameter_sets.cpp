// The sequence parameter sets are walked field by field up to the usability information, skipping what the
// picture's format does not depend on (scaling lists, reference picture sets). Field names follow the
// H.264 and HEVC syntax tables.
#include "engine/probe/parameter_sets.h"

#include <algorithm>
#include <array>
#include <vector>

#include "engine/probe/bit_reader.h"

namespace tessellane {
namespace {

// The sample aspect ratios that aspect_ratio_idc 1 to 16 stand for; 255 means explicit numbers follow.
constexpr std::array<PixelAspect, 17> kAspectTable = {{{0, 0},
                                                       {1, 1},
                                                       {12, 11},
                                                       {10, 11},
                                                       {16, 11},
                                                       {40, 33},
                                                       {24, 11},
                                                       {20, 11},
                                                       {32, 11},
                                                       {80, 33},
                                                       {18, 11},
                                                       {15, 11},
                                                       {64, 33},
                                                       {160, 99},
                                                       {4, 3},
                                                       {3, 2},
                                                       {2, 1}}};

// The start of vui_parameters(), which H.264 and HEVC share: aspect ratio, overscan, video signal type with
// its colour description. Nothing after it is needed.
void readUsabilityInformation(BitReader& bits, SequenceParameters& out) {
    std::optional<PixelAspect> aspect;
    if (bits.flag()) {  // aspect_ratio_info_present_flag
        const std::uint32_t idc = bits.bits(8);
        if (idc == 255) {
            aspect = PixelAspect{bits.bits(16), 0};
            aspect->vertical = bits.bits(16);
        } else if (idc < kAspectTable.size()) {
            aspect = kAspectTable[idc];
        }
        if (aspect && (aspect->horizontal == 0 || aspect->vertical == 0)) aspect.reset();  // unspecified
    }
    if (bits.flag()) bits.skip(1);  // overscan_info_present_flag, overscan_appropriate_flag
    std::optional<bool> fullRange;
    std::optional<ColourCodes> colour;
    if (bits.flag()) {  // video_signal_type_present_flag
        bits.skip(3);   // video_format
        fullRange = bits.flag();
        if (bits.flag()) {  // colour_description_present_flag
            colour = ColourCodes{};
            colour->primaries = static_cast<std::uint16_t>(bits.bits(8));
            colour->transfer = static_cast<std::uint16_t>(bits.bits(8));
            colour->matrix = static_cast<std::uint16_t>(bits.bits(8));
            colour->fullRange = fullRange;
        }
    }
    if (!bits.ok()) return;  // a set cut inside the usability information keeps none of it
    out.pixelAspect = aspect;
    out.fullRange = fullRange;
    out.colour = colour;
}

// A small field coded as ue(v): its value, or -1 past `largest`, so that a hostile code never overflows
// what is computed from it.
int smallField(BitReader& bits, std::uint32_t largest) {
    const std::uint32_t value = bits.ue();
    return value <= largest ? static_cast<int>(value) : -1;
}

// The cropped size, or 0 by 0 when the set ended before it or the cropping leaves nothing. The crop unit
// is the chroma subsampling (none without chroma planes), times two vertically for field pictures.
void setSize(const BitReader& bits, SequenceParameters& out, std::int64_t codedWidth,
             std::int64_t codedHeight, const std::uint32_t (&crop)[4], int chromaPlanes,
             std::int64_t fieldFactor) {
    const std::int64_t unitX = chromaPlanes == 1 || chromaPlanes == 2 ? 2 : 1;
    const std::int64_t unitY = (chromaPlanes == 1 ? 2 : 1) * fieldFactor;
    const std::int64_t width = codedWidth - unitX * (std::int64_t(crop[0]) + crop[1]);
    const std::int64_t height = codedHeight - unitY * (std::int64_t(crop[2]) + crop[3]);
    if (bits.ok() && width > 0 && height > 0) out.width = width, out.height = height;
}

// H.264 scaling_list(): only walked, its values do not matter here.
void skipAvcScalingList(BitReader& bits, int size) {
    int last = 8, next = 8;
    for (int j = 0; j < size && bits.ok(); ++j) {
        if (next != 0) next = static_cast<int>((last + std::int64_t(bits.se()) + 256) % 256);
        last = next == 0 ? last : next;
    }
}

bool isAvcHighProfile(std::uint32_t profile) {
    constexpr std::uint32_t high[] = {100, 110, 122, 244, 44, 83, 86, 118, 128, 138, 139, 134, 135};
    return std::find(std::begin(high), std::end(high), profile) != std::end(high);
}

// HEVC profile_tier_level(1, maxSubLayersMinus1).
void skipHevcProfileTierLevel(BitReader& bits, std::uint32_t maxSubLayersMinus1) {
    constexpr int kProfileBits = 88, kLevelBits = 8;
    bits.skip(kProfileBits + kLevelBits);
    bool profilePresent[8] = {}, levelPresent[8] = {};
    for (std::uint32_t i = 0; i < maxSubLayersMinus1; ++i) {
        profilePresent[i] = bits.flag();
        levelPresent[i] = bits.flag();
    }
    if (maxSubLayersMinus1 > 0) bits.skip(2 * (8 - maxSubLayersMinus1));
    for (std::uint32_t i = 0; i < maxSubLayersMinus1; ++i)
        bits.skip((profilePresent[i] ? kProfileBits : 0) + (levelPresent[i] ? kLevelBits : 0));
}

// HEVC scaling_list_data().
void skipHevcScalingListData(BitReader& bits) {
    for (int sizeId = 0; sizeId < 4; ++sizeId) {
        for (int matrixId = 0; matrixId < 6; matrixId += sizeId == 3 ? 3 : 1) {
            if (!bits.flag()) {  // scaling_list_pred_mode_flag
                bits.ue();
                continue;
            }
            const int coefficients = std::min(64, 1 << (4 + (sizeId << 1)));
            if (sizeId > 1) bits.se();
            for (int i = 0; i < coefficients && bits.ok(); ++i) bits.se();
        }
    }
}

// HEVC st_ref_pic_set(index) as it stands in a sequence parameter set; `deltaPocs` holds NumDeltaPocs of
// the sets before it. False when the set is malformed.
bool skipHevcShortTermRefPicSet(BitReader& bits, std::size_t index, std::vector<std::uint32_t>& deltaPocs) {
    constexpr std::uint32_t kMaxPictures = 16;
    if (index != 0 && bits.flag()) {  // inter_ref_pic_set_prediction_flag: predicted from the set before
        bits.skip(1);                 // delta_rps_sign
        bits.ue();                    // abs_delta_rps_minus1
        std::uint32_t used = 0;
        for (std::uint32_t j = 0; j <= deltaPocs[index - 1] && bits.ok(); ++j) {
            // use_delta_flag is 1 when absent
            if (bits.flag() || bits.flag()) ++used;  // used_by_curr_pic_flag, else use_delta_flag
        }
        deltaPocs.push_back(used);
        return used <= 2 * kMaxPictures;
    }
    const std::uint32_t negative = bits.ue(), positive = bits.ue();
    if (negative > kMaxPictures || positive > kMaxPictures) return false;
    for (std::uint32_t i = 0; i < negative + positive && bits.ok(); ++i) {
        bits.ue();  // delta_poc_s0_minus1 or delta_poc_s1_minus1
        bits.skip(1);
    }
    deltaPocs.push_back(negative + positive);
    return true;
}

}  // namespace

std::optional<SequenceParameters> readAvcSequenceParameters(std::span<const std::uint8_t> nal) {
    if (nal.empty() || (nal[0] & 0x1F) != 7) return std::nullopt;
    const std::vector<std::uint8_t> payload = unescapedPayload(nal.subspan(1));
    BitReader bits(payload);
    SequenceParameters out;
    const std::uint32_t profile = bits.bits(8);
    bool separatePlanes = false;
    bits.skip(16);  // constraint flags, level_idc
    bits.ue();      // seq_parameter_set_id
    if (isAvcHighProfile(profile)) {
        out.chromaFormat = smallField(bits, 3);
        if (out.chromaFormat == 3) separatePlanes = bits.flag();
        out.bitDepthLuma = smallField(bits, 6) + 8;
        out.bitDepthChroma = smallField(bits, 6) + 8;
        bits.skip(1);       // qpprime_y_zero_transform_bypass_flag
        if (bits.flag()) {  // seq_scaling_matrix_present_flag
            for (int i = 0; i < (out.chromaFormat != 3 ? 8 : 12); ++i)
                if (bits.flag()) skipAvcScalingList(bits, i < 6 ? 16 : 64);
        }
    }
    if (!bits.ok() || out.chromaFormat < 0 || out.bitDepthLuma < 8 || out.bitDepthChroma < 8)
        return std::nullopt;
    bits.ue();  // log2_max_frame_num_minus4
    const std::uint32_t pocType = bits.ue();
    if (pocType == 0) {
        bits.ue();  // log2_max_pic_order_cnt_lsb_minus4
    } else if (pocType == 1) {
        bits.skip(1);  // delta_pic_order_always_zero_flag
        bits.se();     // offset_for_non_ref_pic
        bits.se();     // offset_for_top_to_bottom_field
        const std::uint32_t cycle = bits.ue();
        if (cycle > 255) return out;
        for (std::uint32_t i = 0; i < cycle && bits.ok(); ++i) bits.se();
    }
    bits.ue();     // max_num_ref_frames
    bits.skip(1);  // gaps_in_frame_num_value_allowed_flag
    const std::int64_t widthInMacroblocks = bits.ue() + std::int64_t(1);
    const std::int64_t heightInMapUnits = bits.ue() + std::int64_t(1);
    const bool frameMacroblocksOnly = bits.flag();
    if (!frameMacroblocksOnly) bits.skip(1);  // mb_adaptive_frame_field_flag
    bits.skip(1);                             // direct_8x8_inference_flag
    std::uint32_t crop[4] = {};               // left, right, top, bottom
    if (bits.flag())                          // frame_cropping_flag
        for (std::uint32_t& side : crop) side = bits.ue();
    const std::int64_t fieldFactor = frameMacroblocksOnly ? 1 : 2;
    setSize(bits, out, widthInMacroblocks * 16, fieldFactor * heightInMapUnits * 16, crop,
            separatePlanes ? 0 : out.chromaFormat, fieldFactor);
    if (bits.flag()) readUsabilityInformation(bits, out);
    return out;
}

std::optional<SequenceParameters> readHevcSequenceParameters(std::span<const std::uint8_t> nal) {
    if (nal.size() < 2 || ((nal[0] >> 1) & 0x3F) != 33) return std::nullopt;
    const std::vector<std::uint8_t> payload = unescapedPayload(nal.subspan(2));
    BitReader bits(payload);
    SequenceParameters out;
    bits.skip(4);  // sps_video_parameter_set_id
    const std::uint32_t maxSubLayersMinus1 = bits.bits(3);
    bits.skip(1);  // sps_temporal_id_nesting_flag
    if (maxSubLayersMinus1 > 6) return std::nullopt;
    skipHevcProfileTierLevel(bits, maxSubLayersMinus1);
    bits.ue();  // sps_seq_parameter_set_id
    out.chromaFormat = smallField(bits, 3);
    const bool separatePlanes = out.chromaFormat == 3 && bits.flag();
    const std::int64_t codedWidth = bits.ue(), codedHeight = bits.ue();
    std::uint32_t crop[4] = {};  // conformance window: left, right, top, bottom
    if (bits.flag())
        for (std::uint32_t& side : crop) side = bits.ue();
    setSize(bits, out, codedWidth, codedHeight, crop, separatePlanes ? 0 : out.chromaFormat, 1);
    out.bitDepthLuma = smallField(bits, 8) + 8;
    out.bitDepthChroma = smallField(bits, 8) + 8;
    if (!bits.ok() || out.chromaFormat < 0 || out.bitDepthLuma < 8 || out.bitDepthChroma < 8)
        return std::nullopt;
    const std::uint32_t log2MaxPocLsb = bits.ue() + 4;
    const bool orderingForEach = bits.flag();  // sps_sub_layer_ordering_info_present_flag
    for (std::uint32_t i = orderingForEach ? 0 : maxSubLayersMinus1; i <= maxSubLayersMinus1; ++i)
        for (int j = 0; j < 3; ++j) bits.ue();
    for (int i = 0; i < 6; ++i) bits.ue();  // coding and transform block sizes, hierarchy depths
    if (bits.flag() && bits.flag()) skipHevcScalingListData(bits);  // enabled, then data present
    bits.skip(2);                                                   // amp and sample adaptive offset
    if (bits.flag()) {                                              // pcm_enabled_flag
        bits.skip(8);
        bits.ue();
        bits.ue();
        bits.skip(1);
    }
    const std::uint32_t shortTermSets = bits.ue();
    if (shortTermSets > 64 || log2MaxPocLsb > 16) return out;
    std::vector<std::uint32_t> deltaPocs;
    for (std::uint32_t i = 0; i < shortTermSets && bits.ok(); ++i)
        if (!skipHevcShortTermRefPicSet(bits, i, deltaPocs)) return out;
    if (bits.flag()) {  // long_term_ref_pics_present_flag
        const std::uint32_t longTerm = bits.ue();
        if (longTerm > 32) return out;
        for (std::uint32_t i = 0; i < longTerm && bits.ok(); ++i) bits.skip(log2MaxPocLsb + 1);
    }
    bits.skip(2);  // sps_temporal_mvp_enabled_flag, strong_intra_smoothing_enabled_flag
    if (bits.flag()) readUsabilityInformation(bits, out);
    return out;
}

}  // namespace tessellane
