// The component base class: an owner that destroys what it owns, a design
// mode, and the loaded notification a form sends to its components once it
// has built them all.
#pragma once

#include <vector>

namespace vcl {

// Root of the object references that events pass as their Sender.
class TObject {
public:
    TObject() = default;
    TObject(const TObject&) = delete;
    TObject& operator=(const TObject&) = delete;
    virtual ~TObject() = default;
};

class TComponent : public TObject {
public:
    // Enters the component in its owner's list; a component made by an owner
    // in design mode is in design mode as well.
    explicit TComponent(TComponent* owner);
    // Destroys the owned components, the newest first, then leaves the owner.
    ~TComponent() override;

    TComponent* Owner() const { return owner_; }
    const std::vector<TComponent*>& Components() const { return components_; }

    // Set while the component is edited in a form designer; never at run time.
    bool Designing() const { return designing_; }
    void SetDesigning(bool designing);

    // Called once after the owner and all its components have been built.
    virtual void Loaded() {}
    // Sends Loaded to every owned component, in creation order.
    void NotifyComponentsLoaded();

protected:
    // Destroys the owned components now, the newest first; a class whose own
    // destructor must run before its components go calls this first.
    void DestroyComponents();

private:
    void Insert(TComponent* c);
    void Remove(TComponent* c);

    TComponent* owner_ = nullptr;
    std::vector<TComponent*> components_;
    bool designing_ = false;
};

}  // namespace vcl
