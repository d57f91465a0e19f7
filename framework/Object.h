#pragma once

// Root of the framework's class tree: every class can name its runtime class.
class CObject {
public:
    virtual const char* GetRuntimeClassName() const { return "CObject"; }
    virtual ~CObject() = default;
    // Persistence hook of the class tree; nothing in the program serialises.
    virtual void Serialize() {}

protected:
    CObject() = default;
    CObject(const CObject&) = default;
    CObject& operator=(const CObject&) = default;
};
