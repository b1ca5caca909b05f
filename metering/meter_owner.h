#pragma once
// What a meter model needs from the effect that owns it: the effect's parameter setter,
// through which the model pushes setting changes so that the effect's copies, the program
// slot and the editor all see them.

class MeterOwner {
public:
    virtual void setParameter(int index, float value) = 0;

protected:
    ~MeterOwner() = default;
};
