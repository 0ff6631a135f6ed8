// menu_view
