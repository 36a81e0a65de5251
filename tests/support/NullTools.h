#pragma once

#include "edit/CanvasRouter.h"

// Tools that take the mouse and do nothing, for routing one tool at a time.
class NoPickTool final : public PickTool
{
public:
    bool isOn() const override { return false; }
    void switchOff() override {}
    void commit(const QPoint&) override {}
    void follow(const QPoint&) override {}
};

class NoStrokeTool final : public StrokeTool
{
public:
    void start(const QPoint&) override {}
    void extend(const QPoint&) override {}
};
