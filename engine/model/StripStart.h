#pragma once

// Where a strip begins: a face, one of its edges and the direction along that edge.
struct StripStart
{
    int m_Face = -1;
    int m_Edge = -1;
    bool m_TowardsE1 = false; // the strip leaves the start edge going from e0 to e1
};
