// Linked with every object of the core and app libraries and without Qt Gui
// or Qt Widgets: the link fails as soon as either layer reaches for them.
int main()
{
    return 0;
}
