#pragma once

#include <QString>

namespace tonquill {

// The batch's progress on the program's launcher entry (docks and panels that listen to the
// launcher-entry signal show it); silently nothing where no session bus is there.
class ConvProgTaskbar {
public:
    enum class State { None, Indeterminate, Normal, Error, Paused };

    ConvProgTaskbar();
    ~ConvProgTaskbar();

    void SetState(State state);
    void SetValue(int completed, int total);
    State CurrentState() const { return state_; }

private:
    void Send();

    State state_ = State::None;
    double fraction_ = 0.0;
    QString appUri_;
    bool enabled_;
};

}  // namespace tonquill
