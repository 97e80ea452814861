// One scene runs at a time: the title/start menu, the option menu or a stage. Each frame the loop asks the
// current scene for its input step, its update and its drawing, in that order.
#pragma once

class CScene {
public:
    virtual ~CScene() = default;
    virtual void fUpdate() = 0;
    virtual void fInput() = 0;
    virtual void fDraw() = 0;
    // The program is leaving (the window closed, a signal, the end of --frames): a scene that holds
    // something the player would expect kept finishes it here.
    virtual void fQuit() {}
};
