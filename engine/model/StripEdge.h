#pragma once

// One undirected edge, threaded into the edge lists of both its vertices. Faces and edges are
// numbered by their place in the builder's tables; -1 stands for none.
struct StripEdge
{
    int m_Face0 = -1;
    int m_Face1 = -1;
    int m_E0 = 0; // ends in the order first met
    int m_E1 = 0;
    int m_NextE0 = -1; // next edge in m_E0's list
    int m_NextE1 = -1; // next edge in m_E1's list

    int NextFor(int vertex) const { return vertex == m_E0 ? m_NextE0 : m_NextE1; }
    bool Joins(int a, int b) const { return (m_E0 == a && m_E1 == b) || (m_E0 == b && m_E1 == a); }
    int OtherFace(int face) const { return m_Face0 == face ? m_Face1 : m_Face0; }
};
