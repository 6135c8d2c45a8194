// Which image of its list a bitmap button shows in a given state.
#pragma once

struct ButtonState {
    bool pressed = false;
    bool highlighted = false;  // pointer over it in hover mode, else keyboard focus
    bool disabled = false;
};

// indices: normal, pushed, hover, disabled; -1 stands for the normal image.
inline int ChooseButtonImage(const int (&indices)[4], const ButtonState& state) {
    int chosen = -1;
    if (state.pressed)
        chosen = indices[1];
    else if (state.highlighted)
        chosen = indices[2];
    else if (state.disabled)
        chosen = indices[3];
    return chosen == -1 ? indices[0] : chosen;
}
