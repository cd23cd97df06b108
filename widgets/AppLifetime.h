#pragma once

// Ending the program: the version check and a failed connection ask for it.
// The program leaves every running event loop (a message box that is open
// included); tests record the request.
class AppLifetime {
public:
    virtual ~AppLifetime() = default;
    virtual void requestTerminate() = 0;
    virtual bool terminateRequested() const = 0;
};

class QtAppLifetime : public AppLifetime {
public:
    void requestTerminate() override;
    bool terminateRequested() const override { return m_requested; }

private:
    bool m_requested = false;
};
