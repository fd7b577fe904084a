#pragma once

#include "render/gui_font.hpp"
#include "storage/base_storable.hpp"

// The level clock: elapsed time, or the time left when the level counts down.
class LevelTimer : public BaseStorable {
public:
    LevelTimer();

    void save(BaseStorage& storage) const override;
    bool load(BaseStorage& storage) override;

    void update(double dt);
    // 0 normally, rising to 1 over the last ten seconds of a countdown.
    double urgency() const;
    // In screen units, top right; nothing under the opening demo.
    void draw() const;

    GuiFont font;
    double time = 0.0;
    bool countdown = false;
    double phase;  // of the pulse, in [0, 2π]
};
