// Linked with every object of the core, app and web libraries and without Qt
// Gui or Qt Widgets: the link fails as soon as one of them reaches for them.
int main()
{
    return 0;
}
