#include "tests/support/game/RecordingRaceDisplay.h"

#include "engine/gui/guiCoordPair.h"

#include <algorithm>
#include <sstream>

namespace gametest
{

RecordingRaceDisplay::RecordingRaceDisplay(RaceDisplay* wrapped)
    : guiWindow("race display", guiCoordPair::Pixels(0, 0), guiCoordPair::Relative(1, 1),
                kAlignLeft | kAlignTop),
      m_Wrapped(wrapped)
{
}

void RecordingRaceDisplay::_Note(const char* name, float value)
{
    std::ostringstream text;
    text << name << ' ' << value;
    m_Calls.push_back(text.str());
}

size_t RecordingRaceDisplay::CountCalls(const std::string& entry) const
{
    return static_cast<size_t>(std::count(m_Calls.begin(), m_Calls.end(), entry));
}

void RecordingRaceDisplay::SetWorld(tvWorld* world)
{
    m_World = world;
    if (m_Wrapped != nullptr)
        m_Wrapped->SetWorld(world);
}

tvWorld* RecordingRaceDisplay::GetWorld() const
{
    return m_Wrapped != nullptr ? m_Wrapped->GetWorld() : m_World;
}

void RecordingRaceDisplay::ShowSongName(const std::string& name)
{
    _Note("ShowSongName " + name);
    if (m_Wrapped != nullptr)
        m_Wrapped->ShowSongName(name);
}

void RecordingRaceDisplay::HideElements(bool hide)
{
    _Note("HideElements", hide ? 1.0f : 0.0f);
    if (m_Wrapped != nullptr)
        m_Wrapped->HideElements(hide);
}

void RecordingRaceDisplay::SetCountImage(int32_t value)
{
    _Note("SetCountImage", static_cast<float>(value));
    m_CountVisible = true;
    if (m_Wrapped != nullptr)
        m_Wrapped->SetCountImage(value);
}

bool RecordingRaceDisplay::IsCountVisible() const
{
    return m_Wrapped != nullptr ? m_Wrapped->IsCountVisible() : m_CountVisible;
}

void RecordingRaceDisplay::HideCount()
{
    _Note("HideCount");
    m_CountVisible = false;
    if (m_Wrapped != nullptr)
        m_Wrapped->HideCount();
}

void RecordingRaceDisplay::SetTimeText(const std::string& text)
{
    _Note("SetTimeText " + text);
    if (m_Wrapped != nullptr)
        m_Wrapped->SetTimeText(text);
}

void RecordingRaceDisplay::SetPointsText(const std::string& text)
{
    _Note("SetPointsText " + text);
    if (m_Wrapped != nullptr)
        m_Wrapped->SetPointsText(text);
}

void RecordingRaceDisplay::SetTargetText(const std::string& text)
{
    _Note("SetTargetText " + text);
    if (m_Wrapped != nullptr)
        m_Wrapped->SetTargetText(text);
}

void RecordingRaceDisplay::SetDamage(float damage)
{
    _Note("SetDamage", damage);
    if (m_Wrapped != nullptr)
        m_Wrapped->SetDamage(damage);
}

void RecordingRaceDisplay::ShowPowerUpIcon(int32_t kind)
{
    _Note("ShowPowerUpIcon", static_cast<float>(kind));
    if (m_Wrapped != nullptr)
        m_Wrapped->ShowPowerUpIcon(kind);
}

void RecordingRaceDisplay::HidePowerUpIcon(int32_t kind)
{
    _Note("HidePowerUpIcon", static_cast<float>(kind));
    if (m_Wrapped != nullptr)
        m_Wrapped->HidePowerUpIcon(kind);
}

void RecordingRaceDisplay::UpdateIconTimers()
{
    _Note("UpdateIconTimers");
    if (m_Wrapped != nullptr)
        m_Wrapped->UpdateIconTimers();
}

void RecordingRaceDisplay::ShowCourseSummary()
{
    _Note("ShowCourseSummary");
    if (m_Wrapped != nullptr)
        m_Wrapped->ShowCourseSummary();
}

void RecordingRaceDisplay::ShowWidget(guiGlyph* widget, bool shown)
{
    _Note("ShowWidget", shown ? 1.0f : 0.0f);
    if (m_Wrapped != nullptr)
        m_Wrapped->ShowWidget(widget, shown);
    else if (widget != nullptr)
        widget->SetVisible(shown);
}

} // namespace gametest
