#pragma once

// Gives a class one global instance pointer. The class passes itself from its constructor, so the
// pointer is set before anything else of the object runs, and its destructor clears it; a newer instance
// takes the pointer over.
//     class kaApp : public kaSingleton<kaApp> { kaApp() : kaSingleton<kaApp>(this) {} };
template <typename T> class kaSingleton
{
public:
    // Null when no instance lives.
    static T* GetSingleton() { return ms_Instance; }

protected:
    explicit kaSingleton(T* instance)
    {
        ms_Instance = instance;
        ms_Holder = this;
    }
    // An older instance going leaves the pointer to the newest one.
    ~kaSingleton()
    {
        if (ms_Holder != this)
            return;
        ms_Instance = nullptr;
        ms_Holder = nullptr;
    }

    kaSingleton(const kaSingleton&) = delete;
    kaSingleton& operator=(const kaSingleton&) = delete;

private:
    static inline T* ms_Instance = nullptr;
    // The base of the object the pointer names.
    static inline const kaSingleton* ms_Holder = nullptr;
};
