#pragma once

// Gives a class one global instance pointer. The class passes itself from its constructor, so the
// pointer is set before anything else of the object runs, and the destructor clears it.
//     class kaApp : public kaSingleton<kaApp> { kaApp() : kaSingleton<kaApp>(this) {} };
template <typename T> class kaSingleton
{
public:
    // Null when no instance lives.
    static T* GetSingleton() { return ms_Instance; }

protected:
    explicit kaSingleton(T* instance) { ms_Instance = instance; }
    ~kaSingleton() { ms_Instance = nullptr; }

    kaSingleton(const kaSingleton&) = delete;
    kaSingleton& operator=(const kaSingleton&) = delete;

private:
    static inline T* ms_Instance = nullptr;
};
