#include "BrowserFixture.h"
#include "zrvRegistry.h"

using namespace classlib;

class KeyTreeTest : public BrowserTest {
protected:
    void SetUp() override {
        Scratch.AddKey("Zeta");
        Scratch.AddKey("alpha\\Inner\\Deepest");
        Scratch.AddKey("Beta");
        Scratch.AddKey("gamma\\Only");
        StartProgram();
        Node = frmMain->FindKeyNode(HKEY_CURRENT_USER, Scratch.Path);
        ASSERT_TRUE(Node);
    }
    ScratchKey Scratch;
    TTreeNode Node;
};

TEST_F(KeyTreeTest, FindsNodesLevelByLevelAndNamesThem) {
    EXPECT_EQ(Node.Text(), Scratch.Name());
    // Case does not matter; the node's text keeps the registry's case.
    TTreeNode inner = frmMain->FindKeyNode(HKEY_CURRENT_USER, "software\\" + Scratch.Name() + "\\ALPHA\\inner");
    ASSERT_TRUE(inner);
    EXPECT_EQ(inner.Text(), "Inner");
    EXPECT_EQ(frmMain->GetNodePath(inner), Scratch.Path + "\\alpha\\Inner");
    EXPECT_EQ(frmMain->GetNodeLongName(inner), "[HKEY_CURRENT_USER\\" + Scratch.Path + "\\alpha\\Inner]");
    TTreeNode root = frmMain->FindKeyNode(HKEY_CURRENT_USER, "");
    ASSERT_TRUE(root);
    EXPECT_EQ(root.Text(), "HKEY_CURRENT_USER");
    EXPECT_EQ(frmMain->GetNodePath(root), "");
    EXPECT_EQ(frmMain->GetNodeLongName(root), "[HKEY_CURRENT_USER]");
    EXPECT_EQ(frmMain->FindKeyNode(HKEY_CURRENT_USER, Scratch.Path + "\\nothing\\Inner"), TTreeNode());
    EXPECT_EQ(frmMain->FindKeyNode(HKEY_DYN_DATA, ""), TTreeNode());  // not shown on the NT family
    EXPECT_EQ(frmMain->FindKeyNode(nullptr, ""), TTreeNode());
    // Extra and trailing separators are passed over.
    EXPECT_EQ(frmMain->FindKeyNode(HKEY_CURRENT_USER, "\\" + Scratch.Path + "\\\\alpha\\"), Child(Node, "alpha"));
}

TEST_F(KeyTreeTest, ChildrenAreSortedAndOnlyKeysWithSubkeysCanExpand) {
    Node.Expand(false);
    EXPECT_TRUE(Node.Expanded());
    EXPECT_TRUE(TfrmMain::NodeData(Node)->Loaded);
    EXPECT_EQ(ChildTexts(Node), (std::vector<std::string>{"alpha", "Beta", "gamma", "Zeta"}));
    TTreeNode alpha = Child(Node, "alpha");
    // Whether a child can expand is asked when the tree needs to know, not
    // read for every child of a level while it loads.
    EXPECT_EQ(TfrmMain::NodeData(alpha)->SubKeyCount, -1);
    EXPECT_TRUE(alpha.HasChildren());
    EXPECT_EQ(TfrmMain::NodeData(alpha)->SubKeyCount, 1);
    EXPECT_TRUE(ChildTexts(alpha).empty());
    EXPECT_FALSE(Child(Node, "Beta").HasChildren());
    TTreeData* data = TfrmMain::NodeData(alpha);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(data->KeyName, "ALPHA");
    EXPECT_EQ(data->RootKey, HKEY_CURRENT_USER);
    EXPECT_FALSE(data->Loaded);
}

TEST_F(KeyTreeTest, TheTreeControlsOwnExpansionLoadsTheLevel) {
    TTreeNode gamma = frmMain->FindKeyNode(HKEY_CURRENT_USER, Scratch.Path + "\\gamma");
    ASSERT_TRUE(gamma);
    gamma.MakeVisible();  // expanding the levels above selects each of them
    frmMain->trvwKeys.SetSelected(gamma);
    ::SendMessageA(frmMain->trvwKeys.Handle, WM_KEYDOWN, VK_ADD, 0);  // '+' on the keypad
    EXPECT_TRUE(gamma.Expanded());
    EXPECT_EQ(ChildTexts(gamma), std::vector<std::string>{"Only"});
}

TEST_F(KeyTreeTest, AKeyDeletedMeanwhileLosesItsPlaceholder) {
    Node.Expand(false);
    TTreeNode alpha = Child(Node, "alpha");
    ASSERT_TRUE(alpha.HasChildren());
    DeleteRegistryTree(Scratch.Key, "alpha");
    alpha.Expand(false);
    EXPECT_FALSE(alpha.HasChildren());
    EXPECT_FALSE(TfrmMain::NodeData(alpha)->Loaded);
    EXPECT_TRUE(Boxes.Boxes.empty());
}

TEST_F(KeyTreeTest, ClickAndNavigationKeysShowTheKey) {
    Node.Expand(false);
    TTreeNode beta = Child(Node, "Beta");
    frmMain->trvwKeys.SetSelected(beta);
    frmMain->trvwKeysClick(nullptr);
    EXPECT_TRUE(frmMain->FMenuStateInitialised);
    const std::string longName = "[HKEY_CURRENT_USER\\" + Scratch.Path + "\\Beta]";
    EXPECT_EQ(frmMain->sttsbrMain.PanelText(0), longName);
    EXPECT_EQ(frmMain->cmbbxAddress.Text(), "HKEY_CURRENT_USER:" + Scratch.Path + "\\Beta");
    EXPECT_NE(frmMain->cmbbxAddress.IndexOf("HKEY_CURRENT_USER:" + Scratch.Path + "\\Beta"), -1);

    // Down moves to gamma and shows it; a letter key does not.
    ::SendMessageA(frmMain->trvwKeys.Handle, WM_KEYDOWN, VK_DOWN, 0);
    ::SendMessageA(frmMain->trvwKeys.Handle, WM_KEYUP, VK_DOWN, 0);
    EXPECT_EQ(frmMain->sttsbrMain.PanelText(0), "[HKEY_CURRENT_USER\\" + Scratch.Path + "\\gamma]");
    frmMain->trvwKeys.SetSelected(beta);
    ::SendMessageA(frmMain->trvwKeys.Handle, WM_KEYUP, 'Z', 0);
    EXPECT_EQ(frmMain->sttsbrMain.PanelText(0), "[HKEY_CURRENT_USER\\" + Scratch.Path + "\\gamma]");
}

TEST_F(KeyTreeTest, RootNodesCannotBeRenamedInPlace) {
    TTreeNode root = frmMain->FindKeyNode(HKEY_CURRENT_USER, "");
    bool allow = true;
    frmMain->trvwKeysEditing(nullptr, root, allow);
    EXPECT_FALSE(allow);
    allow = false;
    frmMain->trvwKeysEditing(nullptr, Node, allow);
    EXPECT_TRUE(allow);
    frmMain->Show();
    ::SetFocus(frmMain->trvwKeys.Handle);
    EXPECT_EQ(TreeView_EditLabel(frmMain->trvwKeys.Handle, root.ItemId()), nullptr);
    EXPECT_EQ(root.Text(), "HKEY_CURRENT_USER");
}

TEST_F(KeyTreeTest, RefreshPicksUpNewKeysAndKeepsTheExpandedState) {
    Node.Expand(false);
    Scratch.AddKey("Added\\Sub");
    DeleteRegistryTree(Scratch.Key, "Zeta");
    frmMain->trvwKeys.SetSelected(Node);
    frmMain->mnitmRefresh->Click();
    EXPECT_TRUE(Node.Expanded());
    EXPECT_EQ(ChildTexts(Node), (std::vector<std::string>{"Added", "alpha", "Beta", "gamma"}));
    EXPECT_TRUE(Child(Node, "Added").HasChildren());
    EXPECT_EQ(frmMain->sttsbrMain.PanelText(0), "[HKEY_CURRENT_USER\\" + Scratch.Path + "]");

    // A collapsed node stays collapsed.
    TTreeNode alpha = Child(Node, "alpha");
    frmMain->RefreshNode(alpha);
    EXPECT_FALSE(alpha.Expanded());
    EXPECT_TRUE(TfrmMain::NodeData(alpha)->Loaded);
    EXPECT_EQ(ChildTexts(alpha), std::vector<std::string>{"Inner"});
}
