// menu_selection
