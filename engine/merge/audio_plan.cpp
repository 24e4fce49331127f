#include "engine/merge/audio_plan.h"

#include <algorithm>

#include "engine/core/messages.h"
#include "engine/core/utf8.h"

namespace tessellane {

namespace {

struct AudioCodec {
    const char* name;  // as the probe records it
    const char* label;
    // The writers that take it as it is: ffmpeg's mov, mp4 and (for .m4v) ipod muxers.
    bool mov, mp4, m4v;
};

// FLAC in MP4 is still experimental in ffmpeg 5.1, and Opus has no QuickTime form there.
constexpr AudioCodec kCodecs[] = {
    {"aac", "AAC", true, true, true},      {"pcm", "PCM", true, false, false},
    {"alac", "ALAC", true, true, true},    {"ac3", "AC-3", true, true, true},
    {"eac3", "E-AC-3", true, true, false}, {"mp3", "MP3", true, true, false},
    {"opus", "Opus", false, true, false},  {"flac", "FLAC", false, false, false},
};

const AudioCodec* known(const std::string& name) {
    for (const AudioCodec& codec : kCodecs)
        if (name == codec.name) return &codec;
    return nullptr;
}

bool takenAsItIs(const AudioCodec* codec, const std::string& extension) {
    if (!codec) return false;
    return extension == "mov"   ? codec->mov
           : extension == "mp4" ? codec->mp4
                                : extension == "m4v" && codec->m4v;
}

}  // namespace

std::string audioCodecLabel(const std::string& audioCodec) {
    const AudioCodec* codec = known(audioCodec);
    return codec ? codec->label : audioCodec;
}

std::optional<AudioPlan> audioPlan(const std::vector<ClipInfo>& clips, const FileURL& output,
                                   const MergeSettings& settings) {
    if (!settings.audioClip || *settings.audioClip >= clips.size() || hasImageExtension(output))
        return std::nullopt;
    const ClipInfo& source = clips[*settings.audioClip];
    if (!source.hasAudio) return std::nullopt;
    AudioPlan plan;
    plan.clip = *settings.audioClip;
    const std::string label = source.audioCodec.empty() ? "?" : audioCodecLabel(source.audioCodec);
    const std::string name = escapeControls(source.name());
    plan.copied = takenAsItIs(known(source.audioCodec), lowerExtensionOf(output));
    if (plan.copied) {
        plan.codec = {"-c:a", "copy"};
        plan.description = messages::soundCopied(name, label);
    } else if (clips.front().codec == "prores") {
        // Beside ProRes, sound stays uncompressed, at a depth every editor reads.
        plan.codec = {"-c:a", "pcm_s24le"};
        plan.description = messages::soundAsPcm(name, label);
    } else {
        // 128 kb/s a channel: ffmpeg's AAC encoder is transparent for most material there.
        const int channels = source.audioChannels > 0 ? source.audioChannels : 2;
        const std::string rate = std::to_string(128 * channels);
        plan.codec = {"-c:a", "aac", "-b:a", rate + "k"};
        plan.description = messages::soundAsAac(name, label, rate);
    }
    return plan;
}

}  // namespace tessellane
