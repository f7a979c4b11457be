#pragma once

#include "engine/gui/guiWidget.h"

#include <iosfwd>
#include <string>

// Wraps one widget and stands in for it: draws it, passes searches, sizes and device work on to it and
// answers class tests for it, so that borders, backgrounds, captions and scrollers go around any widget
// without the widget knowing. The wrapped widget is held by reference outside the child list.
class guiDecorator : public guiWidget
{
public:
    static const kaClassInfo& StaticClassInfo();

    guiDecorator();
    explicit guiDecorator(guiWidget* component);
    // Releases the wrapped widget, telling the window to forget it when that destroys it.
    ~guiDecorator() override;

    const kaClassInfo& GetClassInfo() const override { return StaticClassInfo(); }

    void Draw() override;
    // Its own class chain first, then the wrapped widget's.
    bool QueryClass(const kaClassInfo& record, guiGlyph*& out) override;
    void SetTag(guiGlyph* reference) override;
    guiGlyph* FindChild(const std::string& name) override;
    guiGlyph* FindChildById(int32_t id) override;
    void SetOwnerWindow(guiWindow* window) override;
    void SetSize(const guiCoordPair& size) override;
    // The wrapped widget shares the decorator's layer.
    void SetLayer(int32_t layer) override;
    void SetDirty(bool dirty) override;
    bool IsDirty() const override;

    void WriteText(std::ostream& stream) const override;
    void ReadText(std::istream& stream) override;
    void WriteBinary(kaBinaryStream& stream) const override;
    void ReadBinary(kaBinaryStream& stream) override;

    void CreateDeviceObjects() override;
    void ReleaseDeviceObjects() override;
    void RestoreDeviceObjects() override;
    // Takes the wrapped widget's visibility.
    void Render(guiRenderContext& context) override;
    // Draws the wrapped widget, so that the decorator's own children come over it.
    bool PreRender(guiRenderContext& context) override;

    virtual bool AcceptsChild(guiWidget* widget);
    // The widget already wrapped changes nothing; null leaves the decorator empty.
    virtual void SetChild(guiWidget* widget);
    guiWidget* GetComponent() const { return m_Component; }

protected:
    // Takes the wrapped widget's size and position, each only when it differs.
    void _FitToComponent();
    // For decorators that draw children of their own at their corner: the origin is moved there until
    // the matching pop.
    void _PushOwnOrigin() const;
    static void _PopOwnOrigin();

private:
    void _ReleaseComponent();
    // A glyph read as the wrapped widget: kept when it is a widget, else dropped.
    void _TakeRead(guiGlyph* glyph);

    guiWidget* m_Component = nullptr;
};
