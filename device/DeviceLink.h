#pragma once
// The device link: the one road to the device. A link is a filter graph that holds the
// vendor filters of one configuration; callers open it, issue numbered commands through
// it and delete it, which closes it.
#include <windows.h>
#include <strmif.h>

// Link configurations: which vendor filters the graph holds.
inline constexpr int CONFIG_NONE = -1;
inline constexpr int CONFIG_SINK = 10;            // the Sink filter
inline constexpr int CONFIG_SPLITTER = 11;        // the Splitter filter
inline constexpr int CONFIG_SOURCE_SPLITTER = 12; // the Source filter, then the Splitter

class CDeviceLink {
public:
    CDeviceLink() = default;
    CDeviceLink(const CDeviceLink&) = delete;
    CDeviceLink& operator=(const CDeviceLink&) = delete;

    // A derived link closes itself first; a graph still held here is released.
    virtual ~CDeviceLink() {
        if (m_pGraph) {
            m_pGraph->Release();
            m_pGraph = nullptr;
        }
    }

    // Opens the link in nConfig (nReserved is ignored). 1 on success, 0 for an unknown
    // configuration or no graph manager, else the code of the filter that is missing.
    virtual int Open(int nConfig, int nReserved) = 0;
    // The link's graph, or null; no reference is added.
    virtual IGraphBuilder* GetGraph() { return m_pGraph; }
    // Issues one numbered command; 1 for success, 0 for failure.
    virtual int Command(int nCode, void* pArg) = 0;
    // Shows the Source filter's property pages; pArg is the owner window's handle.
    virtual int ShowPropertyPages(int nCode, void* pArg) = 0;
    // Drops the configuration's filters and the graph.
    virtual void Close() = 0;

protected:
    IGraphBuilder* m_pGraph = nullptr; // one reference owned by the link
    int m_nConfig = CONFIG_NONE;
};
