#include "sound/sound_clip.hpp"

#include "storage/file_storage.hpp"

bool save_clip(const std::string& path, const SoundClip& clip)
{
    OutFileStorage file(path);
    file.write(sound_rate);
    file.write(static_cast<unsigned int>(clip.samples.size()));
    file.write_raw(clip.samples.data(), clip.samples.size() * sizeof(std::int16_t));
    return file.finish();
}

bool load_clip(const std::string& path, SoundClip& clip, std::string& reason)
{
    InFileStorage file(path, true);
    int rate = 0;
    unsigned int count = 0;
    if (!file.read(rate)) {
        reason = file.bad_magic() ? "not a sound file" : "cannot be read";
        return false;
    }
    if (rate != sound_rate) {
        reason = "its rate is " + std::to_string(rate) + ", not " + std::to_string(sound_rate);
        return false;
    }
    if (!file.read_count(count, sizeof(std::int16_t)) || count == 0 || count > max_clip_samples) {
        reason = "its length is damaged";
        return false;
    }
    clip.samples.assign(count, 0);
    if (!file.read_raw(clip.samples.data(), count * sizeof(std::int16_t)) || file.bytes_left() != 0) {
        reason = "its samples are damaged";
        return false;
    }
    return true;
}
