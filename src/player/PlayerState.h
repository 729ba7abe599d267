#pragma once

namespace kazoon {

// The state of the player panel; the values are stable.
enum PlayerState {
    NoSong = 0,
    Ready = 1,
    Playing = 2,
    StandbyDone = 3,
    QsWaiting = 5,
    StandingBy = 6,
    LoadError = 8,
    Lesson = 9,
};

} // namespace kazoon
