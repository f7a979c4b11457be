#pragma once

// One input triangle of the strip builder, with the marks the strip search leaves on it.
struct StripFace
{
    int m_I0 = 0;
    int m_I1 = 0;
    int m_I2 = 0;
    int m_StripId = -1;     // committed strip, -1 when in none
    int m_TestStripId = -1; // experimental strip
    int m_ExperimentId = -1;

    int Index(int corner) const { return corner == 0 ? m_I0 : (corner == 1 ? m_I1 : m_I2); }
    bool Contains(int vertex) const { return m_I0 == vertex || m_I1 == vertex || m_I2 == vertex; }
    // True when the face runs from `from` straight to `to` in its own winding.
    bool Traverses(int from, int to) const
    {
        return (m_I0 == from && m_I1 == to) || (m_I1 == from && m_I2 == to) || (m_I2 == from && m_I0 == to);
    }
};
