#include "world/recording_world.hpp"

#include <cmath>

#include "storage/file_storage.hpp"
#include "storage/invariant.hpp"
#include "storage/log.hpp"

RecordingWorld::RecordingWorld(const std::string& level_file, const std::string& recording_name)
    : RecordingWorld(InFileStorage(level_file, false), level_file, recording_name)
{
}

RecordingWorld::RecordingWorld(InFileStorage&& level, const std::string& level_file,
                               const std::string& recording_name)
    : RecordingWorld(static_cast<BaseStorage&>(level), recording_name)
{
    file_name = level_file;
}

RecordingWorld::RecordingWorld(BaseStorage& level, const std::string& recording_name)
    : World(level), recording_file(recording_name)
{
    if (loaded())
        save(recording);
}

RecordingWorld::~RecordingWorld()
{
    // A level that never loaded has no starting state worth a file.
    if (loaded() && !recording_file.empty())
        dump_recording(recording_file);
    log_out() << "Recording done" << '\n';
}

bool RecordingWorld::handle_event(const SDL_Event& event, double& dt)
{
    // Key presses other than the pause keys do nothing in play; the pause
    // keys are kept so that a replay pauses where the game did.
    const bool other_key_press = event.type == SDL_KEYDOWN && event.key.keysym.sym != SDLK_SPACE &&
                                 event.key.keysym.sym != SDLK_ESCAPE;
    if (!other_key_press)
        pending_events.push_back(event);
    // May replace and destroy this world: nothing may follow it.
    return World::handle_event(event, dt);
}

void RecordingWorld::update(double& time)
{
    // The frame loop gives whole milliseconds, so the replay's step is this one.
    const double t = whole_milliseconds(time);
    INVARIANT(((t - (time * 1000)) < 0.00001) && ((t - (time * 1000)) > -0.00001));

    // The frame goes into the recording before the step, which may end
    // the game and replace this world.
    write_frame(recording, static_cast<unsigned int>(t), pending_events);
    pending_events.clear();

    World::update(time);
}

bool RecordingWorld::dump_recording(const std::string& name)
{
    OutFileStorage file(name);
    write_recording_start(file, file_name, recording);
    const bool written = file.finish();
    log_out() << "Recording dumped to file " << name << '\n';
    return written;
}

double whole_milliseconds(double seconds)
{
    const double x = seconds * 1000;
    double t = std::trunc(x);
    if (t < x - 0.4)
        t += 1;
    if (t > x + 0.4)
        t -= 1;
    return t;
}

void write_recording_start(BaseStorage& to, const std::string& level_name, BaseStorage& state)
{
    to.write(level_name);
    state.rewind();
    copy_rest(state, to);
}

void write_frame(BaseStorage& to, unsigned int ms, const std::vector<SDL_Event>& events)
{
    to.write(ms);
    to.write(static_cast<unsigned int>(events.size()));
    for (const SDL_Event& event : events)
        to.write(event);
}

std::unique_ptr<RecordingWorld> start_recording(const std::string& level_file, const std::string& recording_file)
{
    InFileStorage storage(level_file, false);
    if (storage.corrupt()) {
        log_err() << "Cannot open level " << level_file << ": not a level file or missing" << '\n';
        return nullptr;
    }
    auto world = std::make_unique<RecordingWorld>(storage, recording_file);
    if (!world->loaded() || storage.bytes_left() != 0) {
        log_err() << "Cannot open level " << level_file << ": " << damage_text(storage) << '\n';
        // Nothing worth keeping was recorded.
        world->recording_file.clear();
        return nullptr;
    }
    world->file_name = level_file;
    return world;
}
